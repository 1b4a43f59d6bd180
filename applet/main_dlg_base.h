#pragma once

#include "applet/main_dialog.h"
#include "applet/module.h"
#include "applet/page_table.h"
#include "applet/settings_store.h"
#include "applet/window_state.h"

#include <commctrl.h>

#include <memory>
#include <vector>

namespace Korva::QELD {

// A main dialog: a tab control with one settings page of the Page variant per
// row of the page table, the slideshow interval below.
template <class Page> class CMainDlgBase : public MainDialog {
public:
    int pageCount() const noexcept override { return static_cast<int>(pages_.size()); }

    void showPage(int index, bool show) override {
        if (index >= 0 && index < pageCount())
            ::ShowWindow(pages_[index]->hwnd(), show ? SW_SHOWNORMAL : SW_HIDE);
    }

    Page& page(int index) noexcept { return *pages_[index]; }

    virtual void SetUpdateTime(unsigned seconds) = 0;

protected:
    explicit CMainDlgBase(UINT templateId) : MainDialog(templateId) {
        for (const auto& row : pageTable)
            pages_.push_back(std::make_unique<Page>(row));
    }

    // The creation steps both variants share, once the frame is set up.
    void initMainDialog() {
        initFrame();
        for (std::size_t i = 0; i < pageTable.size(); ++i) {
            auto label = loadString(pageTable[i].labelId);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = label.data();
            ::SendMessageW(tabControl(), TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
            pages_[i]->create(hwnd());
        }
        SetUpdateTime(LoadUpdateTime());
        RestoreWindowState(*this);
    }

private:
    std::vector<std::unique_ptr<Page>> pages_;
};

} // namespace Korva::QELD
