#include "settings/core/registry_values.h"
#include "settings/core/settings_merge.h"
#include "tests/fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace Korva::QELD;
using Korva::Fuzz::check;

namespace {

// One registry value as a read returns it: type, size and bytes.
struct RawValue {
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
};

RawValue consumeValue(FuzzedDataProvider& input) {
    const auto type =
        input.ConsumeBool() ? registryTypeDword : input.ConsumeIntegral<std::uint32_t>();
    return {type, input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 16))};
}

std::uint32_t littleEndian(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data(), 4);
    return value;
}

std::u16string checkedFolder(const std::vector<std::uint8_t>& bytes) {
    const std::u16string folder = RegistryValues::folder(bytes.data(), bytes.size());
    check(folder.find(u'\0') == std::u16string::npos, "a folder holds no NUL");
    check(folder.empty() || folder.back() == u'/' || folder.back() == u'\\',
          "a folder ends in a separator");
    check(folder.size() <= bytes.size() / 2 + 1, "a folder comes from the value's bytes");
    const auto* stored = reinterpret_cast<const std::uint8_t*>(folder.data());
    const std::vector<std::uint8_t> again(stored, stored + folder.size() * 2);
    check(RegistryValues::folder(again.data(), again.size()) == folder,
          "a stored folder reads back unchanged");
    return folder;
}

std::optional<std::uint32_t> checkedDword(const RawValue& value) {
    const auto read = RegistryValues::dword(value.type, value.bytes.data(), value.bytes.size());
    const bool counts = value.type == registryTypeDword && value.bytes.size() == 4;
    check(read.has_value() == counts, "only a four-byte REG_DWORD counts");
    check(!read || *read == littleEndian(value.bytes), "a REG_DWORD reads as little-endian");
    return read;
}

void checkUpdateTime(const std::vector<std::uint8_t>& bytes) {
    // The registry read fills a four-byte buffer, so a value never has more.
    const std::size_t size = std::min<std::size_t>(bytes.size(), 4);
    std::array<std::uint8_t, 4> buffer{};
    std::copy_n(bytes.begin(), size, buffer.begin());
    const std::uint32_t read = RegistryValues::updateTime(buffer.data(), size);
    check(size < 4 || read == littleEndian(bytes), "a four-byte interval reads as little-endian");
    check(size > 0 || read == defaultUpdateTime, "an empty interval keeps the default");
    std::optional<std::uint32_t> held;
    check(mergeUpdateTime(held, read).raised != 0, "the first interval counts as a change");
    check(mergeUpdateTime(held, read).raised == 0, "the same interval again changes nothing");
}

void checkMerge(DeviceConfigMap& configs, ModelId id, long rc, const DeviceConfig& read) {
    const bool held = configs.contains(id);
    const MergeResult first = mergeDeviceConfig(configs, id, rc, read);
    if (rc != 0) {
        check(!configs.contains(id), "a set that cannot be read is dropped");
        check((first.note == MergeNote::UnreadSetNotHeld) == !held,
              "a failure is unchanged only when none was held");
        return;
    }
    check(configs.at(id) == read, "a read set is held as read");
    const MergeResult second = mergeDeviceConfig(configs, id, rc, read);
    check(second.raised == 0 && second.note == MergeNote::None,
          "the same set again changes nothing");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    DeviceConfigMap configs;
    while (input.remaining_bytes() > 0) {
        const auto id = input.ConsumeIntegralInRange<ModelId>(0, 6);
        const long rc = input.ConsumeBool() ? 0 : input.ConsumeIntegral<std::int32_t>();
        const RawValue folder = consumeValue(input);
        const RawValue border = consumeValue(input);
        const RawValue scale = consumeValue(input);
        const RawValue clip = consumeValue(input);
        checkUpdateTime(consumeValue(input).bytes);
        DeviceConfig read;
        read.folder = checkedFolder(folder.bytes);
        const auto borderValue = checkedDword(border);
        read.borderAuto = !borderValue;
        read.border = static_cast<std::int32_t>(borderValue.value_or(0));
        read.scale = static_cast<std::int32_t>(checkedDword(scale).value_or(1));
        read.clip = static_cast<std::uint8_t>(checkedDword(clip).value_or(0x11));
        checkMerge(configs, id, rc, read);
    }
    return 0;
}
