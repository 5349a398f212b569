// SPDX-License-Identifier: GPL-2.0-or-later
// The rich edit's widget: a text edit showing the control's text in its format (rich text,
// Markdown or plain), the user's editing written back to the control in that same format.

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <exception>

#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_peer.h"
#include "platform/qt/qt_rich_text.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"

namespace quillon {

namespace {

// The edit's pictures come from regular files only, as in print, and its style sheets not at
// all: the document asks its text edit for them.
class BoundedTextEdit final : public QTextEdit {
  public:
    using QTextEdit::QTextEdit;
    QVariant loadResource(int type, const QUrl& name) override {
        return resources_.Load(type, name);
    }

  private:
    RichTextResources resources_;
};

class RichEditPeer : public QtControlPeer {
  public:
    explicit RichEditPeer(TCustomRichEdit& edit) : QtControlPeer(edit), edit_(edit) {
        widget_ = new BoundedTextEdit(ParentWidgetFor(edit));
        widget_->setAcceptRichText(true);
        widget_->document()->setDocumentMargin(2);
        Attach(widget_, Input::Native);
        WatchInner(widget_->viewport());
        QObject::connect(widget_, &QTextEdit::textChanged, Context(), [this] { FromWidget(); });
    }

  protected:
    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Text:
            case TPeerChange::Items:
                ApplyText();
                break;
            case TPeerChange::ReadOnly:
                widget_->setReadOnly(edit_.ReadOnly());
                break;
            case TPeerChange::Appearance: {
                widget_->setLineWrapMode(edit_.WordWrap() ? QTextEdit::WidgetWidth
                                                          : QTextEdit::NoWrap);
                ApplyTextFrame(*widget_, edit_.BorderStyle(), edit_.ScrollBars(),
                               Qt::ScrollBarAsNeeded);
                break;
            }
            default:
                QtControlPeer::Apply(what);
        }
    }

  private:
    TRichTextFormat Format() const {
        return edit_.PlainText() ? rfPlainText : edit_.TextFormat();
    }

    void ApplyText() {
        const std::string& text = edit_.Text();
        if (text == shown_ && Format() == shownFormat_) return;
        SyncScope sync(*this);
        shown_ = text;
        shownFormat_ = Format();
        // The document as bounded for the layout, as printing lays it out.
        const QString q = ToQString(edit_.Document().text);
        switch (shownFormat_) {
            case rfHtml: widget_->setHtml(q); break;
            case rfMarkdown: {
                // In one edit block: the Markdown reader inserts text piece by piece, and
                // outside a block every piece measures and lays out its paragraph anew.
                QTextCursor batch(widget_->document());
                batch.beginEditBlock();
                widget_->setMarkdown(q);
                batch.endEditBlock();
                break;
            }
            case rfPlainText: widget_->setPlainText(q); break;
        }
    }

    void FromWidget() {
        if (Syncing()) return;
        QString q;
        switch (Format()) {
            case rfHtml: q = widget_->toHtml(); break;
            case rfMarkdown: q = widget_->toMarkdown(); break;
            case rfPlainText: q = widget_->toPlainText(); break;
        }
        shown_ = FromQString(q);
        shownFormat_ = Format();
        PeerEventScope scope;
        try {
            // Positions of the widget's cursor do not count characters of the stored text (its
            // markup), so the control's selection goes to the start.
            edit_.SetTextFromPeer(shown_, 0, 0);
        } catch (const std::exception& e) {
            Application().HandleException(e);
        }
    }

    TCustomRichEdit& edit_;
    QTextEdit* widget_ = nullptr;
    std::string shown_;
    TRichTextFormat shownFormat_ = rfPlainText;
};

}  // namespace

std::unique_ptr<QtControlPeer> CreateRichEditPeer(TControl& control) {
    auto* edit = dynamic_cast<TCustomRichEdit*>(&control);
    if (!edit) return nullptr;
    return std::make_unique<RichEditPeer>(*edit);
}

}  // namespace quillon
