#include "common/unique_handle.h"
#include "settings/configuration_data.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/wine_paths.h"

#include <gtest/gtest.h>
#include <msxml.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace Korva::QELD;
using namespace Korva::Win32;
using Korva::QELD::Test::windowsPath;

namespace {

struct bstr_traits {
    using pointer = BSTR;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::SysFreeString(h); }
};
using unique_bstr = unique_handle<bstr_traits>;

using Element = com_ptr<IXMLDOMElement>;

// One XML file read through the system's parser, which refuses a file that is
// not well-formed.
class XmlFile {
public:
    explicit XmlFile(const std::wstring& path) {
        ::CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                           reinterpret_cast<void**>(document_.put()));
        EXPECT_TRUE(document_) << "no XML parser";
        if (!document_)
            return;
        document_.get()->put_async(VARIANT_FALSE);
        const unique_bstr name(::SysAllocString(windowsPath(path).c_str()));
        VARIANT source{};
        source.vt = VT_BSTR;
        source.bstrVal = name.get();
        VARIANT_BOOL loaded = VARIANT_FALSE;
        document_.get()->load(source, &loaded);
        loaded_ = loaded == VARIANT_TRUE;
    }

    bool loaded() const { return loaded_; }
    std::vector<Element> all(const wchar_t* tag) const {
        Element root;
        document_.get()->get_documentElement(root.put());
        return children(root.get(), tag);
    }

    // The elements of a name anywhere below the given one, in document order.
    static std::vector<Element> children(IXMLDOMElement* parent, const wchar_t* tag) {
        const unique_bstr name(::SysAllocString(tag));
        com_ptr<IXMLDOMNodeList> list;
        parent->getElementsByTagName(name.get(), list.put());
        std::vector<Element> found;
        com_ptr<IXMLDOMNode> node;
        while (list.get()->nextNode(node.put()) == S_OK) {
            Element element;
            node.get()->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.put()));
            found.push_back(std::move(element));
        }
        return found;
    }

    static std::wstring attribute(IXMLDOMElement* element, const wchar_t* name) {
        const unique_bstr attributeName(::SysAllocString(name));
        VARIANT value{};
        if (element->getAttribute(attributeName.get(), &value) != S_OK)
            return {};
        const unique_bstr text(value.bstrVal);
        return text.get();
    }

    static std::wstring text(IXMLDOMElement* element) {
        unique_bstr text;
        element->get_text(text.put());
        return text ? text.get() : L"";
    }

private:
    com_ptr<IXMLDOMDocument> document_;
    bool loaded_ = false;
};

// What the policies are meant to set, in the words their texts use: the
// dialog's names of the layout choices and the tablet models.
enum class Field { Scale, Border, Clip };
struct Choice {
    Field field;
    int code; // -1: "Auto"
};
const std::map<std::wstring, Choice> choiceOfName{
    {L"Stretch", {Field::Scale, 0}},       {L"Best fit", {Field::Scale, 1}},
    {L"Original size", {Field::Scale, 2}}, {L"Black", {Field::Border, 0}},
    {L"White", {Field::Border, 1}},        {L"Auto", {Field::Border, -1}},
    {L"Top Left", {Field::Clip, 0x00}},    {L"Top", {Field::Clip, 0x01}},
    {L"Top Right", {Field::Clip, 0x02}},   {L"Left", {Field::Clip, 0x10}},
    {L"Middle", {Field::Clip, 0x11}},      {L"Right", {Field::Clip, 0x12}},
    {L"Bottom Left", {Field::Clip, 0x20}}, {L"Bottom", {Field::Clip, 0x21}},
    {L"Bottom Right", {Field::Clip, 0x22}}};
const std::map<std::wstring, ModelId> modelOfName{{L"QEL-10", 1}, {L"QEL-30", 2}, {L"QEL-40", 3},
                                                  {L"QEL-20", 4}, {L"QEL-50", 5}, {L"QEL-60", 6}};

void choose(DeviceConfig& config, const Choice& choice) {
    if (choice.field == Field::Scale)
        config.scale = choice.code;
    else if (choice.field == Field::Clip)
        config.clip = static_cast<std::uint8_t>(choice.code);
    else {
        config.borderAuto = choice.code < 0;
        config.border = config.borderAuto ? 0 : choice.code;
    }
}

const std::wstring serviceKey = L"SYSTEM\\CurrentControlSet\\Services\\QELDSVC\\Parameters";

// Applies every policy of the template, enabled, to a key of the test's own
// in every variant of its choices, and reads the key back as the service does.
class PolicyTemplate : public ::testing::Test {
protected:
    void SetUp() override { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { ::CoUninitialize(); }

    std::wstring keyFor(const std::wstring& policyKey) const {
        EXPECT_EQ(::CompareStringOrdinal(policyKey.c_str(), static_cast<int>(serviceKey.size()),
                                         serviceKey.c_str(), -1, TRUE),
                  CSTR_EQUAL)
            << "a policy writes outside the service's key";
        return testKey + policyKey.substr(std::min(serviceKey.size(), policyKey.size()));
    }

    const Korva::QELD::Test::RegistrySandbox sandbox;
    const std::wstring testKey = sandbox.path();
};

// One value an element of a policy writes when the policy is enabled, and
// what the service should make of it.
struct Sample {
    std::wstring valueName;
    std::optional<DWORD> number; // otherwise text, or deleted when there is none
    std::optional<std::wstring> text;
    std::function<void(DeviceConfig&, std::uint32_t&)> expect;
};

void write(const std::wstring& key, const Sample& sample) {
    LONG rc = ERROR_SUCCESS;
    if (sample.number)
        rc = ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), sample.valueName.c_str(), REG_DWORD,
                               &*sample.number, sizeof(DWORD));
    else if (sample.text)
        rc = ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), sample.valueName.c_str(), REG_SZ,
                               sample.text->c_str(),
                               static_cast<DWORD>((sample.text->size() + 1) * sizeof(wchar_t)));
    else
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), sample.valueName.c_str());
    EXPECT_EQ(rc, ERROR_SUCCESS);
}

// The samples of one element: a folder, both ends of the interval's range,
// every item of a choice.
std::vector<Sample> samples(IXMLDOMElement* element, const std::wstring& kind,
                            const std::map<std::wstring, std::wstring>& strings) {
    const std::wstring valueName = XmlFile::attribute(element, L"valueName");
    EXPECT_EQ(XmlFile::attribute(element, L"key"), L"") << "read here from its policy's key";
    std::vector<Sample> found;
    if (kind == L"text") {
        const std::wstring folder = L"\\\\server\\share\\" + valueName + L"\\";
        found.push_back(
            {valueName, std::nullopt, folder, [folder](DeviceConfig& c, std::uint32_t&) {
                 c.folder.assign(folder.begin(), folder.end());
             }});
    } else if (kind == L"decimal") {
        EXPECT_EQ(XmlFile::attribute(element, L"storeAsText"), L"");
        for (const wchar_t* bound : {L"minValue", L"maxValue"}) {
            const DWORD value = std::stoul(XmlFile::attribute(element, bound));
            found.push_back(
                {valueName, value, std::nullopt,
                 [value](DeviceConfig&, std::uint32_t& interval) { interval = value; }});
        }
        EXPECT_EQ(found.front().number, 1000u) << "the dialog offers 1 to 600 seconds";
        EXPECT_EQ(found.back().number, 600000u) << "the dialog offers 1 to 600 seconds";
    } else {
        for (const auto& item : XmlFile::children(element, L"item")) {
            const std::wstring name = strings.at(XmlFile::attribute(item.get(), L"displayName"));
            const Choice choice = choiceOfName.at(name);
            const auto numbers = XmlFile::children(item.get(), L"decimal");
            std::optional<DWORD> number;
            if (!numbers.empty())
                number = std::stoul(XmlFile::attribute(numbers.front().get(), L"value"));
            else
                EXPECT_EQ(XmlFile::children(item.get(), L"delete").size(), 1u);
            found.push_back({valueName, number, std::nullopt,
                             [choice](DeviceConfig& c, std::uint32_t&) { choose(c, choice); }});
        }
    }
    return found;
}

} // namespace

TEST_F(PolicyTemplate, EveryPolicyReadsBackAsTheConfigurationItDescribes) {
    const XmlFile admx(QELD_POLICY_DIR L"/QELDisplay.admx");
    const XmlFile adml(QELD_POLICY_DIR L"/en-US/QELDisplay.adml");
    ASSERT_TRUE(admx.loaded()) << "the .admx is not well-formed";
    ASSERT_TRUE(adml.loaded()) << "the .adml is not well-formed";
    std::map<std::wstring, std::wstring> strings;
    for (const auto& string : adml.all(L"string"))
        strings[L"$(string." + XmlFile::attribute(string.get(), L"id") + L")"] =
            XmlFile::text(string.get());

    std::set<ModelId> models;
    const auto policies = admx.all(L"policy");
    EXPECT_EQ(policies.size(), 9u) << "folder, interval, layout and six models";
    for (const auto& policy : policies) {
        const std::wstring title = strings[XmlFile::attribute(policy.get(), L"displayName")];
        SCOPED_TRACE(std::string(title.begin(), title.end()));
        EXPECT_EQ(XmlFile::attribute(policy.get(), L"class"), L"Machine");
        EXPECT_EQ(XmlFile::attribute(policy.get(), L"valueName"), L"") << "only elements write";
        EXPECT_TRUE(strings.count(XmlFile::attribute(policy.get(), L"explainText")));
        const auto model = modelOfName.find(title.substr(0, title.find(L' ')));
        const ModelId id = model == modelOfName.end() ? 0 : model->second;
        models.insert(id);
        const std::wstring key = keyFor(XmlFile::attribute(policy.get(), L"key"));

        std::vector<std::vector<Sample>> elements;
        std::size_t variants = 0;
        for (const wchar_t* kind : {L"text", L"decimal", L"enum"}) {
            for (const auto& element : XmlFile::children(policy.get(), kind)) {
                if (XmlFile::attribute(element.get(), L"id").empty())
                    continue; // a number inside an item of a choice
                elements.push_back(samples(element.get(), kind, strings));
                variants = std::max(variants, elements.back().size());
            }
        }
        EXPECT_GT(variants, 0u) << "a policy without values";
        for (std::size_t variant = 0; variant < variants; ++variant) {
            ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, testKey.c_str());
            unique_hkey created;
            ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                        KEY_SET_VALUE, nullptr, created.put(), nullptr),
                      ERROR_SUCCESS);
            DeviceConfig expected;
            std::uint32_t interval = defaultUpdateTime;
            for (const auto& element : elements) {
                const Sample& sample = element[variant % element.size()];
                write(key, sample);
                sample.expect(expected, interval);
            }
            ConfigurationData data(testKey);
            ASSERT_TRUE(data.init());
            auto lock = data.lock();
            EXPECT_EQ(lock.updateTime(), interval);
            ASSERT_TRUE(lock.deviceConfigs().count(id));
            const DeviceConfig& read = lock.deviceConfigs().at(id);
            EXPECT_EQ(read, expected)
                << "variant " << variant << ": scale " << read.scale << ", border " << read.border
                << ", auto " << read.borderAuto << ", clip " << int(read.clip);
        }
    }
    EXPECT_EQ(models.size(), 7u) << "the generic set and every model";
}
