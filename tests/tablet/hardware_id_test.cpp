#include "tablet/core/hardware_id.h"
#include "tablet/core/product_tables.h"
#include "tablet/core/sibling_interface_id.h"
#include "tablet/tablet_device.h"
#include "tools/vtablet/model/product_defaults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <string>

namespace Korva::QEL {
namespace {

const std::wstring composite = L"HID\\VID_2B7C&PID_0C16&REV_0100&MI_00";

std::wstring lowered(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

TEST(ParseHardwareId, ReadsTheIdsOfCompositeAndSingleInterfaceTablets) {
    const HardwareId expected{0x2B7C, 0x0C16, 0x0100, true};
    EXPECT_EQ(parseHardwareId(composite), expected);
    EXPECT_EQ(parseHardwareId(lowered(composite)), expected);
    // Windows appends the collection and instance after the interface number.
    EXPECT_EQ(parseHardwareId(composite + L"&Col01\\7&1234"), expected);

    const std::wstring single = composite.substr(0, 30);
    EXPECT_EQ(parseHardwareId(single), (HardwareId{0x2B7C, 0x0C16, 0x0100, false}));
    EXPECT_EQ(parseHardwareId(L"hid\\vid_abcd&pid_EF01&rev_9a0F"),
              (HardwareId{0xABCD, 0xEF01, 0x9A0F, false}));
}

TEST(ParseHardwareId, RefusesTextsOfAnotherShape) {
    EXPECT_FALSE(parseHardwareId(composite.substr(0, 29))); // revision of three digits
    EXPECT_FALSE(parseHardwareId(L""));
    EXPECT_FALSE(parseHardwareId(L"USB\\VID_2B7C&PID_0C16&REV_0100&MI_00"));
    EXPECT_FALSE(parseHardwareId(L"HID\\VID_2B7G&PID_0C16&REV_0100"));
    EXPECT_FALSE(parseHardwareId(L"HID\\VID_2B7C&PIX_0C16&REV_0100"));
    EXPECT_FALSE(parseHardwareId(L"HID\\VID_2B7C&PID_0C16&REV_01 0"));
    EXPECT_FALSE(parseHardwareId(L"HID\\VID_2B7C&PID_0C16&VER_0100"));
}

TEST(ParseHardwareId, SeesAnInterfaceNumberOnlyWhenAllFourCharactersAreThere) {
    EXPECT_FALSE(parseHardwareId(composite.substr(0, 33))->hasInterfaceNumber);
    EXPECT_TRUE(parseHardwareId(composite.substr(0, 34))->hasInterfaceNumber);
    EXPECT_FALSE(parseHardwareId(composite.substr(0, 30) + L"&COL01")->hasInterfaceNumber);
}

TEST(TabletFamily, TakesTheFifteenProductIdsOfItsVendor) {
    EXPECT_TRUE(isFamilyTablet(0x2B7C, 0x0C10));
    EXPECT_TRUE(isFamilyTablet(0x2B7C, 0x0C1B));
    EXPECT_TRUE(isFamilyTablet(0x2B7C, 0x0C1E));
    EXPECT_FALSE(isFamilyTablet(0x2B7C, 0x0C1F));
    EXPECT_FALSE(isFamilyTablet(0x2B7C, 0x0C0F));
    EXPECT_FALSE(isFamilyTablet(0x2B7C, 0x0000));
    EXPECT_FALSE(isFamilyTablet(0x2B7D, 0x0C16));
}

// The virtual tablet keeps a table of its own of which product each model
// key is, so a row mixed up in either table shows as a disagreement.
TEST(ProductTables, EveryModelIsOneTabletOfTheFamilyAsTheVirtualTabletHasIt) {
    std::set<QELD::ModelId> models;
    for (const auto& [productId, model] : productModelTable) {
        ASSERT_LT(model, QELD::modelKeyTable.size());
        EXPECT_EQ(QELD::modelKeyTable[model].id, model);
        EXPECT_TRUE(models.insert(model).second) << "two products of model " << int(model);
        EXPECT_EQ(productId == 0, model == 0) << "only product 0 reads the generic settings";
        if (model == 0)
            continue;
        const std::u16string key = QELD::modelKeyTable[model].subkey;
        EXPECT_EQ(VTablet::productOfModelKey(std::string(key.begin(), key.end()).c_str()),
                  productId)
            << std::hex << productId;
        EXPECT_TRUE(isFamilyTablet(VTablet::vendorId, productId)) << std::hex << productId;
    }
    EXPECT_EQ(models.size(), QELD::modelKeyTable.size()) << "a model no tablet reaches";
}

TEST(ProductTables, ChooseTheEncodingModeFromPixelClassAndBulkPipe) {
    EXPECT_EQ(pixelClassFor(0x0C1B), 15);
    EXPECT_EQ(pixelClassFor(0x0C16), 6);
    EXPECT_EQ(pixelClassFor(0x0C13), 2);
    EXPECT_EQ(encodingModeFor(0x0C16, false), 0x02);
    EXPECT_EQ(encodingModeFor(0x0C16, true), 0x12);
    for (std::uint16_t productId : {0x0C17, 0x0C1A, 0x0C1B}) {
        EXPECT_EQ(encodingModeFor(productId, false), 0x04);
        EXPECT_EQ(encodingModeFor(productId, true), 0x14);
    }
    for (std::uint16_t productId : {0x0000, 0x0C10, 0x0C11, 0x0C13, 0x0C1E}) {
        EXPECT_EQ(encodingModeFor(productId, false), 0x00);
        EXPECT_EQ(encodingModeFor(productId, true), 0x10);
    }
}

TEST(SiblingInterfaceId, NamesTheNextInterfaceOfTheSameDevice) {
    EXPECT_EQ(siblingInterfaceId(L"HID\\VID_2B7C&PID_0C16&REV_0100&MI_00\\QV0_1"),
              L"USB\\VID_2B7C&PID_0C16&REV_0100&MI_01\\QV0_1");
    EXPECT_EQ(siblingInterfaceId(L"hid\\vid_2b7c&pid_0c16&mi_0f&col01\\7&ab&0"),
              L"USB\\VID_2B7C&PID_0C16&MI_10&COL01\\7&ab&0");
    EXPECT_FALSE(siblingInterfaceId(L"HID\\VID_2B7C&PID_0C16&REV_0100\\QV0_1"));
    EXPECT_FALSE(siblingInterfaceId(L"HID\\VID_2B7C&PID_0C16&MI_FF\\QV0_1"));
    EXPECT_FALSE(siblingInterfaceId(L"HID\\VID_2B7C&PID_0C16&MI_0\\QV0_1"));
    EXPECT_FALSE(siblingInterfaceId(L"HID\\VID_2B7C&PID_0C16\\QV&MI_00"));
    EXPECT_FALSE(siblingInterfaceId(L"USB\\VID_2B7C&PID_0C16&MI_00\\QV0_1"));
    EXPECT_FALSE(siblingInterfaceId(L"HID&MI_00"));
}

} // namespace
} // namespace Korva::QEL
