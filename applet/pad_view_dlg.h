#pragma once

#include "applet/pad_dlg_base.h"

namespace Korva::QELD {

// The read-only settings page of the read-only main dialog.
class CPadViewDlg : public CPadDlgBase {
public:
    explicit CPadViewDlg(const PageRow& row);

    bool IsUsingGeneric() override;
    void SetUseGeneric(bool useGeneric) override;
    void SetFolder(const std::wstring& folder) override;
    void SetSizeIndex(std::size_t index) override;
    void SetBorderIndex(std::size_t index) override;
    void SetPositionIndex(std::size_t index) override;

protected:
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    HWND useGeneric_ = nullptr;
    std::int32_t size_ = -1;
    std::int32_t border_ = -1;
    std::int32_t position_ = -1;
};

} // namespace Korva::QELD
