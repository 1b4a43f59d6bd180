#pragma once

#include "applet/pad_dlg_base.h"

#include <optional>

namespace Korva::QELD {

// The editable settings page of the editable main dialog.
class CPadEditDlg : public CPadDlgBase {
public:
    explicit CPadEditDlg(const PageRow& row);

    bool IsUsingGeneric() override;
    void SetUseGeneric(bool useGeneric) override;
    void SetFolder(const std::wstring& folder) override;
    void SetSizeIndex(std::size_t index) override;
    void SetBorderIndex(std::size_t index) override;
    void SetPositionIndex(std::size_t index) override;

    std::wstring folderText() const;
    // The stored value of the selected row of a list, none without selection.
    std::optional<std::int32_t> selectedValue(int listId) const;

protected:
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void onInitDialog();
    void onCommand(int id, int code);
    void fillLists();
    void enableSettings(bool enable);
    void RefreshPreview();
    void markModified();
    void browseForFolder();

    HWND mainDialog_ = nullptr;
    HWND useGeneric_ = nullptr;
    HWND folder_ = nullptr;
    HWND size_ = nullptr;
    HWND border_ = nullptr;
    HWND position_ = nullptr;
};

} // namespace Korva::QELD
