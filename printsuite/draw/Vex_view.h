// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The print preview window (TVex_Prev) and its page control (TDrawIt).

#include <cstdint>
#include <functional>
#include <string>

#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/draw/Drawscrn.h"

namespace quillon {

// The zoom list's entries: 0 .. 7 percentages, then the two fitting ones.
inline constexpr int kZoomEntryPercent[] = {250, 200, 150, 100, 75, 50, 25, 10};
inline constexpr int kPageWidthEntry = 8;
inline constexpr int kWholePageEntry = 9;
// The private window message of a zoom step (the user-message base plus 51).
inline constexpr int kZoomMessageId = 1024 + 51;

class TVex_Prev : public TForm {
    QUILLON_CLASS_INFO()
  public:
    explicit TVex_Prev(TComponent* owner);

    TPanel* TopBar1 = nullptr;
    TPanel* TopBar2 = nullptr;
    TPanel* BottomBar = nullptr;
    TButton* Print = nullptr;
    TButton* Odd = nullptr;
    TButton* Even = nullptr;
    TButton* Current = nullptr;
    TButton* Additional = nullptr;
    TButton* CloseButton = nullptr;
    TButton* ZoomIn = nullptr;
    TButton* ZoomOut = nullptr;
    TComboBox* PrintPreview = nullptr;
    TButton* PageWidthButton = nullptr;
    TButton* WholePageButton = nullptr;
    TScrollBox* ScrollBox1 = nullptr;
    TDrawIt* DrawIt1 = nullptr;
    TLabel* Page = nullptr;
    TEdit* PageNo = nullptr;
    TLabel* Label2 = nullptr;
    TEdit* PageTot = nullptr;
    TButton* PrevPage = nullptr;
    TButton* NextPage = nullptr;

    // Called before and after every print request (nothing assigns them here).
    std::function<void(TObject* sender)> CallBefore;
    std::function<void(TObject* sender)> CallAfter;

    DeviceContext* GetWindowDC() { return DrawIt1->PageHandle(); }
    int GetWindowHeight() const { return DrawIt1->Height(); }
    int GetWindowWidth() const { return DrawIt1->Width(); }

    void FormCreate(TObject* sender);
    void FormActivate(TObject* sender);
    void FormResize(TObject* sender);
    void FormKeyDown(TObject* sender, std::uint16_t& key, TShiftState shift);
    void Zoomfinish();
    void SetScrollBars();
    void ZoomInClick(TObject* sender);
    void ZoomOutClick(TObject* sender);
    void PageWidthButtonClick(TObject* sender);
    void WholePageButtonClick(TObject* sender);
    void PrintPreviewClick(TObject* sender);
    void PrintPreviewKeyPress(TObject* sender, char32_t& key);
    void NextPageClick(TObject* sender);
    void PrevPageClick(TObject* sender);
    void PageNoKeyUp(TObject* sender, std::uint16_t& key, TShiftState shift);
    void PrintClick(TObject* sender);
    void OddClick(TObject* sender);
    void EvenClick(TObject* sender);
    void CurrentClick(TObject* sender);
    void AdditionalClick(TObject* sender);
    void CloseButtonClick(TObject* sender);
    void Close1Click(TObject* sender);
    // Message 1075: a zoom percentage from the page control.
    void ZoomMessage(int zoom);

  private:
    void Request(int selection, const std::string& list);
    void ShowPageNumber();
    // After a move to another page: its number, and its layout when its shape differs.
    void PageShown();
    // The page size the fitting zoom entries fit.
    TSize ShownPageSize();
    void ReportError(const std::string& reason);
};

// Shows the stored pages of the job that has just ended in the preview window, modally, and
// returns when the window is closed (the window and its page control are freed, which
// deletes the preview's page files). It reads only the page files and the job settings.
void ShowPreview();

extern const char* const kPreviewForm;

}  // namespace quillon
