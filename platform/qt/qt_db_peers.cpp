// Widgets of the data-aware controls that have no standard widget: the grid
// (a table view over the dataset's row window) and the navigator's buttons.
// The field controls (DB edit, memo, check box ...) are standard controls and
// take their standard widgets.

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableView>
#include <QToolButton>
#include <QWidget>

#include "platform/data/dbctrls.h"
#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_desktop.h"
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
            TField* f = index.column() < static_cast<int>(cols.size()) ? cols[index.column()].Field : nullptr;
            if (!f) return {};
            int h = f->Alignment() == taRightJustify ? Qt::AlignRight
                    : f->Alignment() == taCenter     ? Qt::AlignHCenter
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

class DBGridPeer : public QtControlPeer {
  public:
    explicit DBGridPeer(TDBGrid& grid) : QtControlPeer(grid), grid_(grid), model_(grid) {
        view_ = new QTableView(ParentWidgetFor(grid));
        view_->setModel(&model_);
        view_->setSelectionBehavior(QAbstractItemView::SelectRows);
        view_->setSelectionMode(QAbstractItemView::SingleSelection);
        view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        // Uniform rows: the view never measures rows it does not show.
        view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        Attach(view_, Input::Native);
        QObject::connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, Context(),
                         [this](const QModelIndex& now, const QModelIndex&) {
                             if (Syncing() || !now.isValid()) return;
                             TDataSource* s = grid_.DataSource();
                             TDataSet* ds = s ? s->DataSet() : nullptr;
                             if (ds && ds->RecNo() != now.row()) ds->SetRecNo(now.row());
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
        view_->horizontalHeader()->setVisible(titles);
        view_->verticalHeader()->setVisible(grid_.HasOption(dgIndicator));
        view_->setShowGrid(grid_.HasOption(dgColLines) || grid_.HasOption(dgRowLines));
        view_->verticalHeader()->setDefaultSectionSize(grid_.DefaultRowHeight());
        view_->horizontalHeader()->setFont(ToQFont(grid_.TitleFont()));
        int cols = static_cast<int>(grid_.Columns().size());
        if (cols != lastColumns_ || !sameSet_) {
            model_.Reset();
            lastColumns_ = cols;
        } else {
            emit model_.dataChanged(model_.index(0, 0), model_.index(std::max(0, model_.rowCount({}) - 1), std::max(0, cols - 1)));
            emit model_.headerDataChanged(Qt::Vertical, 0, std::max(0, model_.rowCount({}) - 1));
        }
        auto columns = grid_.Columns();
        for (int c = 0; c < cols; ++c) view_->setColumnWidth(c, columns[c].Width);
        TDataSource* s = grid_.DataSource();
        TDataSet* ds = s ? s->DataSet() : nullptr;
        if (ds && ds->Active() && ds->RecNo() >= 0) {
            QModelIndex at = model_.index(static_cast<int>(ds->RecNo()), 0);
            view_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            view_->scrollTo(at);
        }
        sameSet_ = ds && ds->Active();
    }

    TDBGrid& grid_;
    DBGridModel model_;
    QTableView* view_ = nullptr;
    int lastColumns_ = -1;
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
