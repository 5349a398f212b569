// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The declarations every print component shares: the enumerations they publish as property
// types (ordinal values fixed, as form files store them by name and the code compares them by
// order), the non-visual component base, the titled container panel and the print request
// handed to controls that print themselves.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/vcl/components.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/std_controls.h"

namespace quillon {

class DeviceContext;

// The look of the shadow label.
enum TStyle : std::uint8_t { stNormal, stShadow, stRaised, stSunken, stBlockShadow, stButton };

// What a totals control shows.
enum TTotals : std::uint8_t { tPageTotal, tAccTotal, tPageNumber, tDate, tTime, tText };

// On which pages a decoration appears (see ShowOnPage).
enum TShow : std::uint8_t {
    tFirstPage,
    tLastPage,
    tAllPages,
    tAllButFirst,
    tAllButLast,
    tFirstAndlast,
    tAllButFirstAndLast
};

// The page frame of a print job.
enum TVexFrameStyle : std::uint8_t { frThin, frThinThin, frThinThick, frThickThin, frThickThick };

// The measuring units of a print job.
enum TUnits : std::uint8_t { poInches, poCentimetres };

// Where a job's pages go. poHTML only names page files; no job can choose it.
enum TSendTo : std::uint8_t { poPrinter, poViewer, poHTML };

// The targets a job can choose: poPrinter .. poViewer.
using TOutput = TSendTo;
inline constexpr TOutput kOutputLow = poPrinter;
inline constexpr TOutput kOutputHigh = poViewer;

// The non-visual base of the suite's components (the print job derives from it).
class TVexComponent : public TComponent {
    QUILLON_CLASS_INFO()
  public:
    explicit TVexComponent(TComponent* owner);
    ~TVexComponent() override;

    // What the component does when it is run as a whole; nothing here.
    virtual void Execute();
    // A description of the component for the designer; empty here.
    virtual std::string GetComponentName();
};

// A container panel with a title strip: the top 19 pixels carry the panel's name and are
// kept clear of aligned children; window printing leaves the strip out.
class TVexCustom : public TCustomPanel {
    QUILLON_CLASS_INFO()
  public:
    explicit TVexCustom(TComponent* owner);

    // (0, 19, width, height): below the title strip.
    TRect ClientRect() const override;

    static constexpr int kTitleStrip = 20;  // pixels the strip paints (and printing skips)

  protected:
    void Paint() override;

  private:
    // Two flags of the panel that nothing reads; kept cleared.
    bool flag1_ = false;
    bool flag2_ = false;
};

// Makes the suite's component classes known to form files by name.
void RegisterVexClasses();

// One request to a control that prints itself: the area in printer pixels and the context.
struct TVexPrint {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t currentX = 0;  // where the output starts (the window printer sets left, top)
    std::int32_t currentY = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    DeviceContext* dc = nullptr;
};

// The private message number of a print request (the first user message number plus 199).
inline constexpr int kVexPrintMessage = 1223;
// Answers to a print request.
inline constexpr int kVexPrintedAll = 1;
inline constexpr int kVexPrintedPart = 2;

// A control of the suite that prints itself into a TVexPrint request (the rich edit), going
// on from where its last request stopped. Every such control is known while it lives, so that
// a print job can set them all back to their start when it begins and learn, when it ends,
// what the job's requests left unprinted.
class TVexSelfPrinting {
  public:
    TVexSelfPrinting();
    TVexSelfPrinting(const TVexSelfPrinting&) = delete;
    TVexSelfPrinting& operator=(const TVexSelfPrinting&) = delete;
    virtual ~TVexSelfPrinting();

    // Prints the next portion into (currentX, currentY, right, bottom); kVexPrintedAll when
    // nothing is left, else kVexPrintedPart.
    virtual int PrintRequest(const TVexPrint& request) = 0;
    // Back to the start: the next request prints from the beginning.
    virtual void RewindPrinting() = 0;
    // How much is left after the requests since the last rewind (0 when none came).
    virtual int UnprintedLength() const = 0;
    // The name the job uses when it reports what is left.
    virtual std::string PrintingName() const = 0;
};

// A panel that carries on another control's printed output (the rich edit's continuation).
class TVexContinuing {
  public:
    virtual ~TVexContinuing() = default;
    // The control continued here; nullptr when the panel names none.
    virtual TVexSelfPrinting* ContinuedControl() const = 0;
};

// Rewinds every self-printing control (a job starts).
void RewindSelfPrintingControls();
// One line for each self-printing control whose requests left something unprinted, in the
// order the controls were made, e.g. "RichEdit1: 1200 characters did not fit into its
// rectangle or its continuation panels and were not printed".
std::vector<std::string> UnprintedTextReports();

// A graphic control of the suite that prints itself: the window printers fill a TVexPrint
// with its page rectangle and hand it over; this base prints nothing.
class TVexGraphicControl : public TGraphicControl {
    QUILLON_CLASS_INFO()
  public:
    using TGraphicControl::TGraphicControl;
    virtual void Print(TVexPrint& request);
};

// What the window printers know of the suite's screen controls, which are built on them in a
// later layer (the printers recognise them by these interfaces, never by name).

// A control with its own place on paper (the sortable grid's PrintIt values, job units);
// false when it has none and prints where the window puts it.
class TVexPrintPlace {
  public:
    virtual ~TVexPrintPlace() = default;
    virtual bool PrintPlace(double& left, double& top, double& width, double& height) const = 0;
};

// The image panel: it prints as a plain panel.
class TVexPanelPrinting {
  public:
    virtual ~TVexPanelPrinting() = default;
};

// The shadow label.
class TVexShadowLabelPrinting {
  public:
    virtual ~TVexShadowLabelPrinting() = default;
    virtual TStyle Style() const = 0;
    virtual int ShadowOffset() const = 0;
    virtual TColor ShadowColor() const = 0;
};

// The totals box.
class TVexTotalPrinting {
  public:
    virtual ~TVexTotalPrinting() = default;
    virtual TWinControl* SourceGrid() const = 0;
    virtual const std::string& SourceField() const = 0;
    virtual TTotals TotalType() const = 0;
    virtual const std::string& DisplayFormat() const = 0;
    virtual const std::string& Text() const = 0;
    virtual TShow ShowOn() const = 0;
    virtual TAlignment Alignment() const = 0;
    virtual TBorderStyle BorderStyle() const = 0;
};

}  // namespace quillon
