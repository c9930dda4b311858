#include "clabelsdlg.h"

#include "ccolorlistctrl.h"
#include "controlids.h"
#include "dialogunits.h"
#include "labeldirectory.h"
#include "labeltablemodel.h"
#include "languagetable.h"
#include "stringtableextractor.h"
#include "userprompts.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <unistd.h>
#include <utility>

namespace verbolt {

namespace {

QString idName(int id)
{
    switch (id) {
    case IDC_LABEL_LIST:
        return QStringLiteral("IDC_LABEL_LIST");
    case IDC_EDIT_FRENCH:
        return QStringLiteral("IDC_EDIT_FRENCH");
    case IDC_EDIT_ENGLISH:
        return QStringLiteral("IDC_EDIT_ENGLISH");
    case IDC_EDIT_ITALIAN:
        return QStringLiteral("IDC_EDIT_ITALIAN");
    case IDC_EDIT_SPANISH:
        return QStringLiteral("IDC_EDIT_SPANISH");
    case IDC_EDIT_GERMAN:
        return QStringLiteral("IDC_EDIT_GERMAN");
    case IDC_EDIT_PORTUGUESE:
        return QStringLiteral("IDC_EDIT_PORTUGUESE");
    case IDC_APPLY:
        return QStringLiteral("IDC_APPLY");
    case IDC_DUPLICATE:
        return QStringLiteral("IDC_DUPLICATE");
    case IDC_DUP_TARGET:
        return QStringLiteral("IDC_DUP_TARGET");
    case IDC_FIND_TEXT:
        return QStringLiteral("IDC_FIND_TEXT");
    case IDC_FIND_COLUMN:
        return QStringLiteral("IDC_FIND_COLUMN");
    case IDC_FIND_NEXT:
        return QStringLiteral("IDC_FIND_NEXT");
    case IDOK:
        return QStringLiteral("IDOK");
    case IDC_EXTRACT_FRENCH:
        return QStringLiteral("IDC_EXTRACT_FRENCH");
    case IDC_EXTRACT_ENGLISH:
        return QStringLiteral("IDC_EXTRACT_ENGLISH");
    case IDC_EXTRACT_ITALIAN:
        return QStringLiteral("IDC_EXTRACT_ITALIAN");
    case IDC_EXTRACT_SPANISH:
        return QStringLiteral("IDC_EXTRACT_SPANISH");
    case IDC_EXTRACT_GERMAN:
        return QStringLiteral("IDC_EXTRACT_GERMAN");
    case IDC_BANNER:
        return QStringLiteral("IDC_BANNER");
    case IDC_COMMENT:
        return QStringLiteral("IDC_COMMENT");
    default:
        return {};
    }
}

} // namespace

CLabelsDlg::CLabelsDlg(std::string dir, UserPrompts *prompts, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_strDir(std::move(dir)), m_prompts(prompts)
{
    if (!m_prompts) {
        m_ownPrompts = std::make_unique<DialogPrompts>();
        m_prompts = m_ownPrompts.get();
    }
    setWindowTitle(QStringLiteral("Verbolt"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/verbolt/icon32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/verbolt/icon16.png"), QSize(16, 16));
    setWindowIcon(icon);
    createControls();
}

CLabelsDlg::~CLabelsDlg()
{
    // The list and its model refer to the grid, a member destroyed before the base class
    // takes the child widgets down: they go first.
    delete m_list;
    delete m_model;
}

void CLabelsDlg::createControls()
{
    const DialogUnits du(font());
    setFixedSize(du.x(399), du.y(324));

    // Controls are created in template order, which is also the tab order.
    m_list = new CColorListCtrl(this);
    m_list->setObjectName(idName(IDC_LABEL_LIST));
    m_list->setGeometry(du.rect(3, 52, 391, 100));
    m_model = new LabelTableModel(m_grid, this);
    m_list->setModel(m_model);
    // Every move of the current row and every change of the selection, by mouse, key or
    // command, brings the fields in step with the list.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CLabelsDlg::OnListChanged);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CLabelsDlg::OnListChanged);

    const auto addEdit = [&](int id, int y) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(idName(id));
        edit->setGeometry(du.rect(57, y, 214, 12));
        edit->setMaxLength(INT_MAX); // a long label must not be cut on Apply
        edit->setEnabled(false);
        return edit;
    };
    addEdit(IDC_EDIT_FRENCH, 184);
    addEdit(IDC_EDIT_ENGLISH, 200);
    addEdit(IDC_EDIT_ITALIAN, 216);
    addEdit(IDC_EDIT_SPANISH, 232);
    addEdit(IDC_EDIT_GERMAN, 248);

    const auto addButton = [&](int id, const QString &caption, QRect r) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(idName(id));
        b->setGeometry(r);
        return b;
    };
    m_apply = addButton(IDC_APPLY, QStringLiteral("Apply"), du.rect(221, 280, 50, 14));
    m_apply->setDefault(true);
    connect(m_apply, &QPushButton::clicked, this, &CLabelsDlg::OnApply);
    auto *duplicate =
        addButton(IDC_DUPLICATE, QStringLiteral("Duplicate selected lines from french column into"),
                  du.rect(8, 301, 156, 14));
    connect(duplicate, &QPushButton::clicked, this, &CLabelsDlg::OnDuplicate);
    // The caption is long: the button takes the width it needs, the list beside it the rest.
    const int dupRight =
        std::max(duplicate->geometry().right(), duplicate->x() + duplicate->sizeHint().width());
    duplicate->setGeometry(duplicate->x(), duplicate->y(), dupRight - duplicate->x() + 1,
                           duplicate->height());

    const auto addCombo = [&](int id, QRect r) {
        auto *c = new QComboBox(this);
        c->setObjectName(idName(id));
        c->setGeometry(r.x(), r.y(), r.width(), std::max(du.y(12), c->sizeHint().height()));
        return c;
    };
    m_cbDupTarget = addCombo(IDC_DUP_TARGET, du.rect(167, 302, 105, 12));
    if (m_cbDupTarget->x() <= dupRight + du.x(2)) {
        const int right = m_cbDupTarget->geometry().right();
        const int left = dupRight + du.x(3);
        m_cbDupTarget->setGeometry(left, m_cbDupTarget->y(), std::max(du.x(40), right - left + 1),
                                   m_cbDupTarget->height());
    }
    m_findText = new QLineEdit(this);
    m_findText->setObjectName(idName(IDC_FIND_TEXT));
    m_findText->setGeometry(du.rect(325, 185, 63, 12));
    m_findText->setMaxLength(INT_MAX);
    m_cbFindColumn = addCombo(IDC_FIND_COLUMN, du.rect(287, 206, 101, 12));
    auto *findNext =
        addButton(IDC_FIND_NEXT, QStringLiteral("Find next"), du.rect(338, 223, 50, 14));
    connect(findNext, &QPushButton::clicked, this, &CLabelsDlg::OnFindNext);
    auto *close = addButton(IDOK, QStringLiteral("Close"), du.rect(345, 306, 50, 14));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    const struct
    {
        int id;
        int x;
        int w;
        void (CLabelsDlg::*handler)();
    } extracts[] = {{IDC_EXTRACT_FRENCH, 14, 13, &CLabelsDlg::OnExtractFrench},
                    {IDC_EXTRACT_ENGLISH, 35, 11, &CLabelsDlg::OnExtractEnglish},
                    {IDC_EXTRACT_ITALIAN, 55, 35, &CLabelsDlg::OnExtractItalian},
                    {IDC_EXTRACT_SPANISH, 97, 35, &CLabelsDlg::OnExtractSpanish},
                    {IDC_EXTRACT_GERMAN, 138, 35, &CLabelsDlg::OnExtractGerman}};
    for (const auto &e : extracts) {
        auto *b = addButton(e.id, QStringLiteral("Extract..."), du.rect(e.x, 281, e.w, 12));
        b->hide();
        connect(b, &QPushButton::clicked, this, e.handler);
    }

    // Captions keep their template place but may be wider than their template width:
    // the font here is wider than the one the layout was drawn for.
    const auto addLabel = [&](const QString &text, QRect r) {
        auto *l = new QLabel(text, this);
        r.setWidth(std::max(r.width(), l->sizeHint().width()));
        l->setGeometry(r.adjusted(0, -2, 0, 2));
        return l;
    };
    addLabel(QStringLiteral("French:"), du.rect(11, 186, 28, 8));
    addLabel(QStringLiteral("English:"), du.rect(11, 202, 26, 8));
    addLabel(QStringLiteral("Italian:"), du.rect(11, 218, 22, 8));
    addLabel(QStringLiteral("Spanish:"), du.rect(11, 234, 28, 8));
    addLabel(QStringLiteral("German:"), du.rect(11, 250, 28, 8));

    std::vector<QWidget *> frames;
    auto *modification = new QGroupBox(QStringLiteral("Modification"), this);
    modification->setGeometry(du.rect(3, 172, 275, 148));
    frames.push_back(modification);
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(du.rect(3, 297, 274, 1).adjusted(0, 0, 0, 1));
    frames.push_back(line);

    m_banner = new QLabel(this);
    m_banner->setObjectName(idName(IDC_BANNER));
    m_banner->setGeometry(du.rect(3, 1, 390, 47));
    m_banner->setFrameShape(QFrame::Box);

    m_comment = new QLabel(this);
    m_comment->setObjectName(idName(IDC_COMMENT));
    m_comment->setGeometry(du.rect(3, 156, 391, 11));
    m_comment->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_comment->setAlignment(Qt::AlignCenter);
    m_comment->setTextFormat(Qt::PlainText);

    auto *find = new QGroupBox(QStringLiteral("Find"), this);
    find->setGeometry(du.rect(282, 172, 112, 71));
    frames.push_back(find);
    addLabel(QStringLiteral("Find what:"), du.rect(288, 186, 34, 8));
    addEdit(IDC_EDIT_PORTUGUESE, 264);
    addLabel(QStringLiteral("Portuguese:"), du.rect(11, 266, 39, 8));

    // Frames go beneath the fields they surround, or they would take their mouse clicks.
    for (QWidget *f : frames) {
        f->setAttribute(Qt::WA_TransparentForMouseEvents);
        f->lower();
    }
}

QWidget *CLabelsDlg::control(int id) const
{
    const QString name = idName(id);
    return name.isEmpty() ? nullptr : findChild<QWidget *>(name);
}

QLineEdit *CLabelsDlg::editorField(int editorId) const
{
    return qobject_cast<QLineEdit *>(control(editorId));
}

QString CLabelsDlg::toQt(std::string_view bytes) const
{
    return QString::fromStdString(codec().toUtf8(bytes));
}

void CLabelsDlg::OnInitDialog()
{
    if (m_strDir.empty()) {
        m_strDir = LabelDirectory::workingDirectory();
        if (m_strDir.empty())
            std::cerr << "verbolt: cannot read the working directory: " << std::strerror(errno)
                      << "\n";
    }

    m_dlgLoading = std::make_unique<CLoadingDlg>(this);
    m_dlgLoading->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!m_strDir.empty()) {
        LabelLoader loader(m_grid, *m_dlgLoading);
        m_load = loader.LoadAllLabels(m_strDir);
        if (m_load.listError)
            m_pendingMessage = LabelDirectory::unreadableMessage(m_strDir);
    }
    m_dlgLoading->finish();

    m_model->setCodePage(m_load.codePage);
    m_model->reload();
    for (int c = 1; c < m_grid.columnCount(); ++c)
        m_list->setColumnWidth(c, 200);
    sizeIdColumn();
    // Each entry keeps its header's bytes: the shown text need not convert back exactly.
    for (const std::string &name : m_load.dupTargets)
        m_cbDupTarget->addItem(toQt(name), QByteArray::fromStdString(name));
    for (const std::string &name : m_load.findColumns)
        m_cbFindColumn->addItem(toQt(name), QByteArray::fromStdString(name));
    m_cbDupTarget->setCurrentIndex(m_cbDupTarget->count() > 0 ? 0 : -1);
    m_cbFindColumn->setCurrentIndex(m_cbFindColumn->count() > 0 ? 0 : -1);

    m_editor = std::make_unique<LabelEditor>(m_grid, *this, m_strDir, m_load.codePage,
                                             m_load.commentsName);
    m_editor->ShowLine(-1); // no line yet: the fields and Apply wait for one
    m_lastScriptFolder = m_strDir;
    m_banner->hide();
    m_banner->setContextMenuPolicy(Qt::NoContextMenu);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &CLabelsDlg::showBannerMenu);
    m_list->setFocus();
}

void CLabelsDlg::sizeIdColumn()
{
    if (m_grid.columnCount() == 0)
        return;
    // Only the longest IDs can be the widest: measure those rather than every row.
    std::vector<std::pair<std::size_t, int>> lengths;
    lengths.reserve(static_cast<std::size_t>(m_grid.rowCount()));
    for (int r = 0; r < m_grid.rowCount(); ++r)
        lengths.emplace_back(m_grid.itemText(r, 0).size(), r);
    const std::size_t keep = std::min<std::size_t>(lengths.size(), 64);
    std::partial_sort(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(keep),
                      lengths.end(), std::greater<>());
    const QFontMetrics fm(m_list->font());
    int widest =
        m_list->horizontalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("ID")) + 12;
    for (std::size_t i = 0; i < keep; ++i)
        widest = std::max(widest, fm.horizontalAdvance(toQt(
                                      codec().prefix(m_grid.itemText(lengths[i].second, 0), 400))));
    m_list->setColumnWidth(0, widest + 12);
}

void CLabelsDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A message about the load waits until the window it speaks of is on screen.
    if (!m_pendingMessage.empty())
        QTimer::singleShot(0, this, [this] {
            const std::string text = std::exchange(m_pendingMessage, {});
            if (!text.empty())
                showMessage(text);
        });
    if (!m_centred) {
        m_centred = true;
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
        }
    }
}

void CLabelsDlg::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    if (m_bmpLogo.isNull())
        m_bmpLogo.load(QStringLiteral(":/verbolt/banner.png"));
    if (m_bmpLogo.isNull())
        return;
    // Centred on the hidden placeholder, overhanging it evenly where it is larger.
    const QRect r = m_banner->geometry();
    const QSize size = m_bmpLogo.deviceIndependentSize().toSize();
    QPainter painter(this);
    painter.drawPixmap(r.left() + (r.width() - size.width()) / 2,
                       r.top() + (r.height() - size.height()) / 2, m_bmpLogo);
}

void CLabelsDlg::showBannerMenu(const QPoint &pos)
{
    if (!m_banner->geometry().contains(pos))
        return;
    QMenu menu(this);
    menu.addAction(QStringLiteral("Extract French string table..."), this,
                   &CLabelsDlg::OnExtractFrench);
    menu.addAction(QStringLiteral("Extract English string table..."), this,
                   &CLabelsDlg::OnExtractEnglish);
    menu.addAction(QStringLiteral("Extract Italian string table..."), this,
                   &CLabelsDlg::OnExtractItalian);
    menu.addAction(QStringLiteral("Extract Spanish string table..."), this,
                   &CLabelsDlg::OnExtractSpanish);
    menu.addAction(QStringLiteral("Extract German string table..."), this,
                   &CLabelsDlg::OnExtractGerman);
    menu.exec(mapToGlobal(pos));
}

// Handlers

int CLabelsDlg::currentRow() const
{
    const QModelIndex current = m_list->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CLabelsDlg::OnListChanged()
{
    if (m_editor)
        m_editor->ShowLine(currentRow());
}

void CLabelsDlg::OnApply()
{
    if (m_editor)
        m_editor->OnApply();
}

void CLabelsDlg::OnDuplicate()
{
    if (m_editor)
        m_editor->OnDuplicate();
}

void CLabelsDlg::OnFindNext()
{
    if (m_editor)
        m_editor->OnFindNext();
}

void CLabelsDlg::OnExtractFrench()
{
    ExtractStringTable("french.txt");
}
void CLabelsDlg::OnExtractEnglish()
{
    ExtractStringTable("english.txt");
}
void CLabelsDlg::OnExtractItalian()
{
    ExtractStringTable("italian.txt");
}
void CLabelsDlg::OnExtractSpanish()
{
    ExtractStringTable("spanish.txt");
}
void CLabelsDlg::OnExtractGerman()
{
    ExtractStringTable("german.txt");
}

void CLabelsDlg::ExtractStringTable(const std::string &outputName)
{
    const QString chosen =
        m_prompts->chooseScript(this, QString::fromStdString(m_lastScriptFolder));
    if (chosen.isEmpty())
        return;
    const std::string script = chosen.toStdString();
    // The next chooser opens where this script was; the working directory stays.
    const std::size_t slash = script.rfind('/');
    if (slash != std::string::npos)
        m_lastScriptFolder = script.substr(0, slash + 1);
    const ExtractionResult result = StringTableExtractor::extractToFile(script, outputName);
    showMessage(StringTableExtractor::messageFor(result));
}

// LabelView

int CLabelsDlg::selectedCount()
{
    // Counted from the ranges, which may overlap: runs once per change of the selection.
    std::vector<std::pair<int, int>> spans;
    for (const QItemSelectionRange &range : m_list->selectionModel()->selection())
        spans.emplace_back(range.top(), range.bottom());
    std::sort(spans.begin(), spans.end());
    int count = 0;
    int covered = -1; // the last row counted
    for (const auto &[top, bottom] : spans) {
        if (bottom > covered) {
            count += bottom - std::max(top, covered + 1) + 1;
            covered = bottom;
        }
    }
    return count;
}

std::vector<int> CLabelsDlg::selectedRows()
{
    // Ranges of the selection may overlap; a mark per row counts each row once.
    const int rows = m_grid.rowCount();
    std::vector<char> marked(static_cast<std::size_t>(rows), 0);
    for (const QItemSelectionRange &range : m_list->selectionModel()->selection())
        for (int r = std::max(0, range.top()); r <= range.bottom() && r < rows; ++r)
            marked[static_cast<std::size_t>(r)] = 1;
    std::vector<int> out;
    for (int r = 0; r < rows; ++r)
        if (marked[static_cast<std::size_t>(r)])
            out.push_back(r);
    return out;
}

bool CLabelsDlg::isRowSelected(int row)
{
    return m_list->selectionModel()->isRowSelected(row, {});
}

void CLabelsDlg::setRowSelected(int row, bool selected)
{
    if (row < 0 || row >= m_grid.rowCount())
        return;
    m_list->selectionModel()->select(
        m_model->index(row, 0),
        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
            QItemSelectionModel::Rows);
}

QModelIndex CLabelsDlg::indexInRow(int row) const
{
    // The current column, or the leftmost one shown: moving to a row never scrolls sideways.
    const QModelIndex current = m_list->selectionModel()->currentIndex();
    const int column = current.isValid() ? current.column() : std::max(0, m_list->columnAt(0));
    return m_model->index(row, column);
}

void CLabelsDlg::setCurrentRow(int row)
{
    const QModelIndex index = row >= 0 && row < m_grid.rowCount() ? indexInRow(row) : QModelIndex();
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void CLabelsDlg::ensureRowVisible(int row)
{
    m_list->scrollTo(indexInRow(row), QAbstractItemView::EnsureVisible);
}

void CLabelsDlg::focusList()
{
    m_list->setFocus(Qt::OtherFocusReason);
}

void CLabelsDlg::cellsChanged(int firstRow, int lastRow)
{
    m_model->refreshRows(firstRow, lastRow);
}

std::optional<std::string> CLabelsDlg::editorText(int editorId)
{
    const QLineEdit *edit = editorField(editorId);
    if (!edit)
        return std::string();
    return codec().fromUtf8(edit->text().toStdString());
}

void CLabelsDlg::setEditorText(int editorId, std::string_view text)
{
    if (QLineEdit *edit = editorField(editorId)) {
        edit->setText(toQt(text));
        edit->setCursorPosition(0);
    }
}

void CLabelsDlg::setEditorEnabled(int editorId, bool enabled)
{
    if (QLineEdit *edit = editorField(editorId))
        edit->setEnabled(enabled);
}

void CLabelsDlg::setApplyEnabled(bool enabled)
{
    m_apply->setEnabled(enabled);
}

void CLabelsDlg::setCommentText(std::string_view text)
{
    m_comment->setText(toQt(text));
}

std::string CLabelsDlg::dupTargetText()
{
    return m_cbDupTarget->currentData().toByteArray().toStdString();
}

std::string CLabelsDlg::findColumnText()
{
    return m_cbFindColumn->currentData().toByteArray().toStdString();
}

std::optional<std::string> CLabelsDlg::findText()
{
    return codec().fromUtf8(m_findText->text().toStdString());
}

void CLabelsDlg::showMessage(const std::string &text)
{
    m_prompts->message(this, QString::fromStdString(text));
}

} // namespace verbolt
