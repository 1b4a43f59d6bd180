#pragma once

#include "applet/dialog.h"
#include "applet/icon_handle.h"
#include "applet/page_table.h"
#include "applet/core/preview_key.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace Korva::QELD {

// A settings page: one tab of a main dialog showing the folder and layout of
// the generic set or of one tablet model's set, with a preview picture of the
// layout on a drawing of the tablet.
class CPadDlgBase : public Dialog {
public:
    ~CPadDlgBase() override = default;

    virtual bool IsUsingGeneric() = 0;
    virtual void SetUseGeneric(bool useGeneric) = 0;
    virtual void SetFolder(const std::wstring& folder) = 0;
    virtual void SetSizeIndex(std::size_t index) = 0;
    virtual void SetBorderIndex(std::size_t index) = 0;
    virtual void SetPositionIndex(std::size_t index) = 0;
    virtual void ShowPreview(std::int32_t size, std::int32_t border, std::int32_t position);

    // The model's registry subkey; empty on the generic page.
    const std::wstring& modelKey() const noexcept { return modelKey_; }
    bool offersGeneric() const noexcept { return offersGeneric_; }

protected:
    CPadDlgBase(const PageRow& row, UINT templateId);

    // The steps both variants take when their window is created: texts,
    // placement over the tab control, preview pictures, stored settings.
    void initPage();
    void showPreviewKey(const PreviewKey& key);
    std::int32_t autoBorder() const noexcept { return autoBorder_; }

private:
    void placeOnTabControl();
    void loadPreviews();

    std::wstring modelKey_;
    UINT previewFirstId_;
    std::int32_t autoBorder_;
    bool offersGeneric_;
    std::map<PreviewKey, unique_icon> previews_;
    HWND preview_ = nullptr;
};

} // namespace Korva::QELD
