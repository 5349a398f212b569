// SPDX-License-Identifier: GPL-2.0-or-later
// Widgets of the data-aware controls that have no standard widget: the grid
// (a table view over the dataset's row window) and the navigator's buttons.
// The field controls (DB edit, memo, check box ...) are standard controls and
// take their standard widgets.

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QWidget>
#include <algorithm>

#include "platform/data/dbctrls.h"
#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_painter_dc.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/system_colors.h"
#include "platform/qt/qt_peer.h"

namespace quillon {

namespace {

// Qt asks only for the rows it shows; the grid reads them as one window.
class DBGridModel : public QAbstractTableModel {
  public:
    explicit DBGridModel(TDBGrid& grid) : grid_(grid) {}

    int rowCount(const QModelIndex& parent) const override {
        if (parent.isValid()) return 0;
        TDataSet* ds = DataSet();
        // A view holds its row count in an int.
        return ds ? static_cast<int>(std::min<std::int64_t>(ds->RecordCount(), INT32_MAX)) : 0;
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(grid_.Columns().size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::DisplayRole) return ToQString(grid_.CellText(index.row(), index.column()));
        if (role == Qt::TextAlignmentRole) {
            auto cols = grid_.Columns();
            if (index.column() >= static_cast<int>(cols.size())) return {};
            const TAlignment a = cols[static_cast<std::size_t>(index.column())].Alignment;
            int h = a == taRightJustify ? Qt::AlignRight
                    : a == taCenter     ? Qt::AlignHCenter
                                        : Qt::AlignLeft;
            return QVariant(h | Qt::AlignVCenter);
        }
        return {};
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (o == Qt::Vertical) {
            TDataSet* ds = DataSet();
            return ds && ds->RecNo() == section ? QStringLiteral("\u25B6") : QString();
        }
        auto cols = grid_.Columns();
        return section < static_cast<int>(cols.size()) ? ToQString(cols[section].Title) : QString();
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

  private:
    TDataSet* DataSet() const {
        TDataSource* s = grid_.DataSource();
        TDataSet* ds = s ? s->DataSet() : nullptr;
        return ds && ds->Active() ? ds : nullptr;
    }
    TDBGrid& grid_;
};

// Cells that the grid draws itself (memo text, pictures), and the column and
// row lines the grid's options ask for.
class DBGridDelegate : public QStyledItemDelegate {
  public:
    DBGridDelegate(TDBGrid& grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QRect q = option.rect;
        bool drawn = false;
        {
            painter->save();
            const ScreenColors screen;
            QtPainterDC dc(*painter, Screen().Caps());
            TCanvas canvas(&dc);
            const bool highlighted = (option.state & QStyle::State_Selected) != 0;
            const bool focused = (option.state & QStyle::State_HasFocus) != 0;
            drawn = grid_.DrawDataCell(canvas, TRect{q.left(), q.top(), q.right() + 1, q.bottom() + 1},
                                       index.row(), index.column(), highlighted, focused);
            canvas.SetHandle(nullptr);
            painter->restore();
        }
        if (!drawn) QStyledItemDelegate::paint(painter, option, index);
        const bool cols = grid_.HasOption(dgColLines), rows = grid_.HasOption(dgRowLines);
        if (!cols && !rows) return;
        painter->save();
        painter->setPen(QColor(160, 160, 160));
        if (cols) painter->drawLine(q.topRight(), q.bottomRight());
        if (rows) painter->drawLine(q.bottomLeft(), q.bottomRight());
        painter->restore();
    }

  private:
    TDBGrid& grid_;
};

// Hands the pointer over the titles and the cells to the grid's model, in
// the grid's client pixels (the indicator column from 0), before the view
// does its own work with it (resizing a column, picking a row).
// Titles drawn where the grid puts them (moved in while the button is down).
class DBGridHeader : public QHeaderView {
  public:
    DBGridHeader(TDBGrid& grid, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), grid_(grid) {}

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        const TRect r = grid_.TitleCellRect(TRect{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1});
        QHeaderView::paintSection(painter, QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1)),
                                  logicalIndex);
    }

  private:
    TDBGrid& grid_;
};

// Tells the grid which column the view shows at its left and how much of it is cut off: at
// the right end of its scroll range the view shows the last column whole, so the left-most
// one may start left of the data area.
void SyncLeftColumn(TDBGrid& grid, QTableView& view) {
    const QHeaderView* top = view.horizontalHeader();
    const int left = top->logicalIndexAt(0);
    if (left < 0) return;
    if (left != grid.LeftCol()) grid.SetLeftCol(left);
    grid.SetLeftColHidden(-top->sectionViewportPosition(left));
}

class DBGridMouse : public QObject {
  public:
    DBGridMouse(TDBGrid& grid, QTableView* view) : QObject(view), grid_(grid), view_(view) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type t = event->type();
        if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease &&
            t != QEvent::MouseButtonDblClick && t != QEvent::MouseMove)
            return false;
        auto* m = static_cast<QMouseEvent*>(event);
        QPoint pos = static_cast<QWidget*>(watched)->mapTo(view_, m->position().toPoint());
        const int frame = view_->frameWidth();
        const int x = pos.x() - frame, y = pos.y() - frame;
        // The model counts columns from the left-most one shown, from where it starts.
        SyncLeftColumn(grid_, *view_);
        PeerEventScope scope;
        const TShiftState shift = ShiftOf(m->modifiers(), m->buttons());
        switch (t) {
            case QEvent::MouseButtonPress:
                grid_.InputMouseDown(MouseButtonOf(m->button()), shift, x, y);
                break;
            case QEvent::MouseButtonRelease:
                grid_.InputMouseUp(MouseButtonOf(m->button()), shift, x, y);
                break;
            case QEvent::MouseButtonDblClick:
                grid_.InputMouseDown(MouseButtonOf(m->button()), shift + ssDouble, x, y);
                grid_.InputDblClick();
                break;
            default:
                grid_.InputMouseMove(shift, x, y);
                break;
        }
        return false;
    }

  private:
    TDBGrid& grid_;
    QTableView* view_;
};

class DBGridPeer : public QtControlPeer {
  public:
    explicit DBGridPeer(TDBGrid& grid) : QtControlPeer(grid), grid_(grid), model_(grid) {
        view_ = new QTableView(ParentWidgetFor(grid));
        view_->setHorizontalHeader(new DBGridHeader(grid, view_));
        view_->setModel(&model_);
        view_->setSelectionBehavior(QAbstractItemView::SelectRows);
        view_->setSelectionMode(QAbstractItemView::SingleSelection);
        view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view_->setItemDelegate(new DBGridDelegate(grid, view_));
        view_->setShowGrid(false);  // the delegate draws the lines the options ask for
        view_->setWordWrap(false);
        // Columns scroll whole, so the left-most shown one starts at the edge.
        view_->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
        // Uniform rows: the view never measures rows it does not show.
        view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view_->verticalHeader()->setMinimumSectionSize(1);
        view_->horizontalHeader()->setMinimumSectionSize(1);
        view_->horizontalHeader()->setHighlightSections(false);
        view_->horizontalHeader()->setSectionsClickable(true);  // a pressed look under the button
        auto* mouse = new DBGridMouse(grid, view_);
        for (QWidget* w : {view_->horizontalHeader()->viewport(), view_->viewport()}) {
            w->setMouseTracking(true);
            w->installEventFilter(mouse);
        }
        Attach(view_, Input::Native);
        QObject::connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, Context(),
                         [this](const QModelIndex& now, const QModelIndex&) {
                             if (Syncing() || !now.isValid()) return;
                             PeerEventScope scope;
                             grid_.SetSelectedIndex(now.column());
                             TDataSource* s = grid_.DataSource();
                             TDataSet* ds = s ? s->DataSet() : nullptr;
                             if (ds && ds->RecNo() != now.row()) ds->SetRecNo(now.row());
                         });
        QObject::connect(view_->verticalHeader(), &QHeaderView::sectionResized, Context(),
                         [this](int row, int, int height) {
                             if (Syncing()) return;
                             PeerEventScope scope;
                             resizedRow_ = row;
                             grid_.RowHeightChanged(row, height);
                             Refresh();
                         });
        QObject::connect(view_->horizontalHeader(), &QHeaderView::sectionResized, Context(),
                         [this](int column, int, int width) {
                             if (Syncing()) return;
                             // The model keeps the width, so that titles and cells keep matching it.
                             auto columns = grid_.Columns();
                             if (column >= static_cast<int>(columns.size())) return;
                             if (!grid_.ColumnsCustomised())
                                 for (const auto& c : columns)
                                     grid_.CustomColumns().push_back({c.Field ? c.Field->FieldName() : std::string(), "", c.Width});
                             // The view shows the visible columns only.
                             int shown = -1;
                             for (TDBGridColumn& c : grid_.CustomColumns())
                                 if (c.Visible && ++shown == column) {
                                     c.Width = width;
                                     break;
                                 }
                         });
        QObject::connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, Context(), [this](int) {
            if (Syncing()) return;
            SyncLeftColumn(grid_, *view_);
        });
    }

  protected:
    void Apply(TPeerChange what) override {
        if (what == TPeerChange::Repaint || what == TPeerChange::Appearance || what == TPeerChange::Cells) {
            Refresh();
            return;
        }
        QtControlPeer::Apply(what);
        if (what == TPeerChange::Font) Refresh();
    }

  private:
    void Refresh() {
        SyncScope sync(*this);
        const bool titles = grid_.HasOption(dgTitles);
        QHeaderView* top = view_->horizontalHeader();
        QHeaderView* side = view_->verticalHeader();
        top->setVisible(titles);
        top->setFont(ToQFont(grid_.TitleFont()));
        // The title row and the indicator column take the model's sizes, so
        // that a point on the widget is the same point of the model's grid.
        if (titles && top->height() != grid_.TitleRowHeight()) top->setFixedHeight(grid_.TitleRowHeight());
        side->setVisible(grid_.HasOption(dgIndicator));
        if (side->width() != TDBGrid::kIndicatorWidth) side->setFixedWidth(TDBGrid::kIndicatorWidth);
        side->setSectionResizeMode(grid_.RowSizing() ? QHeaderView::Interactive : QHeaderView::Fixed);
        if (side->defaultSectionSize() != grid_.DefaultRowHeight()) side->setDefaultSectionSize(grid_.DefaultRowHeight());
        int cols = static_cast<int>(grid_.Columns().size());
        TDataSource* s = grid_.DataSource();
        TDataSet* ds = s ? s->DataSet() : nullptr;
        const bool active = ds && ds->Active();
        const std::uint64_t opening = active ? ds->GetBookmark().generation : 0;
        if (cols != lastColumns_ || !sameSet_ || opening != lastOpening_ ||
            model_.rowCount({}) != lastRows_) {
            // A new opening (a sort reopens the query): every row anew.
            model_.Reset();
            lastColumns_ = cols;
        } else {
            emit model_.dataChanged(model_.index(0, 0), model_.index(std::max(0, model_.rowCount({}) - 1), std::max(0, cols - 1)));
            emit model_.headerDataChanged(Qt::Vertical, 0, std::max(0, model_.rowCount({}) - 1));
        }
        lastOpening_ = opening;
        lastRows_ = model_.rowCount({});
        // A dragged row keeps no height of its own: all rows take the default.
        if (resizedRow_ >= 0 && resizedRow_ < lastRows_) side->resizeSection(resizedRow_, grid_.DefaultRowHeight());
        auto columns = grid_.Columns();
        for (int c = 0; c < cols; ++c)
            if (view_->columnWidth(c) != columns[c].Width) view_->setColumnWidth(c, columns[c].Width);
        if (active && ds->RecNo() >= 0) {
            const int column = std::clamp(grid_.SelectedIndex(), 0, std::max(0, cols - 1));
            QModelIndex at = model_.index(static_cast<int>(ds->RecNo()), column);
            if (view_->currentIndex() != at)
                view_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            view_->scrollTo(at);
        }
        if (cols > 0 && top->logicalIndexAt(0) != grid_.LeftCol())
            view_->horizontalScrollBar()->setValue(grid_.LeftCol());
        view_->viewport()->update();
        top->viewport()->update();
        sameSet_ = active;
    }

    TDBGrid& grid_;
    DBGridModel model_;
    QTableView* view_ = nullptr;
    int lastColumns_ = -1, lastRows_ = -1, resizedRow_ = -1;
    std::uint64_t lastOpening_ = 0;
    bool sameSet_ = false;
};

class DBNavigatorPeer : public QtControlPeer {
  public:
    explicit DBNavigatorPeer(TDBNavigator& nav) : QtControlPeer(nav), nav_(nav) {
        auto* w = new QWidget(ParentWidgetFor(nav));
        auto* row = new QHBoxLayout(w);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        const struct {
            TNavigateBtn button;
            const char* text;
            const char* tip;
        } buttons[] = {{nbFirst, "|\u25C0", "First record"},
                       {nbPrior, "\u25C0", "Prior record"},
                       {nbNext, "\u25B6", "Next record"},
                       {nbLast, "\u25B6|", "Last record"},
                       {nbRefresh, "\u21BB", "Refresh data"}};
        for (const auto& b : buttons) {
            auto* t = new QToolButton(w);
            t->setText(QString::fromUtf8(b.text));
            t->setToolTip(QString::fromUtf8(b.tip));
            t->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            row->addWidget(t);
            const TNavigateBtn which = b.button;
            QObject::connect(t, &QToolButton::clicked, Context(), [this, which] {
                PeerEventScope scope;
                nav_.BtnClick(which);
                UpdateButtons();
            });
            buttons_.push_back({which, t});
        }
        Attach(w, Input::Native);
        UpdateButtons();
    }

  protected:
    void Apply(TPeerChange what) override {
        QtControlPeer::Apply(what);
        UpdateButtons();
    }

  private:
    void UpdateButtons() {
        for (auto& [b, t] : buttons_) t->setEnabled(nav_.ButtonEnabled(b));
    }
    TDBNavigator& nav_;
    std::vector<std::pair<TNavigateBtn, QToolButton*>> buttons_;
};

}  // namespace

std::unique_ptr<QtControlPeer> CreateDataPeer(TControl& control) {
    if (auto* grid = dynamic_cast<TDBGrid*>(&control)) return std::make_unique<DBGridPeer>(*grid);
    if (auto* nav = dynamic_cast<TDBNavigator*>(&control)) return std::make_unique<DBNavigatorPeer>(*nav);
    return nullptr;
}

}  // namespace quillon
