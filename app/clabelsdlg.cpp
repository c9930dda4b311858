#include "clabelsdlg.h"

#include "ccolorlistctrl.h"
#include "commandprogressbar.h"
#include "controlids.h"
#include "dialogunits.h"
#include "exchangecommands.h"
#include "filterbar.h"
#include "hunspellchecker.h"
#include "ignorecheckmenu.h"
#include "labeldirectory.h"
#include "labeltablemodel.h"
#include "languagestats.h"
#include "languagetable.h"
#include "newlabeldlg.h"
#include "spelllineedit.h"
#include "stringtableextractor.h"
#include "userprompts.h"
#include "windowtemplate.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
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
#include <QScopeGuard>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <tuple>
#include <utility>

namespace verbolt {

CLabelsDlg::CLabelsDlg(std::string dir, UserPrompts *prompts, QWidget *parent, FileSystem &fs)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      m_strDir(std::move(dir)), m_fs(fs), m_session(std::make_unique<LabelSession>(fs)),
      m_editor(*m_session, *this), m_prompts(prompts)
{
    m_dlgLoading = new CLoadingDlg(this);
    m_marksTimer.setInterval(0);
    connect(&m_marksTimer, &QTimer::timeout, this, &CLabelsDlg::computeMarks);
    // A writer's rename, an editor's save and a pull each come as several events: one look
    // at the disk a moment after the last of them.
    m_diskTimer.setSingleShot(true);
    m_diskTimer.setInterval(250);
    connect(&m_diskTimer, &QTimer::timeout, this, &CLabelsDlg::OnDiskChanged);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_diskTimer.start(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            [this] { m_diskTimer.start(); });
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
    // The read holds no part of the window, but a running thread must not be destroyed.
    if (m_columnRead)
        m_columnRead->wait();
    // Nor may the dictionaries' reader tell this window anything once it is going.
    if (m_ownWords)
        m_ownWords->waitUntilOpened();
}

void CLabelsDlg::createControls()
{
    const DialogUnits du(font());
    const QSize size(du.x(WindowTemplate::kWidth), du.y(WindowTemplate::kHeight));
    m_templateSize = size;
    setMinimumSize(size);
    resize(size);
    // What stands below the last of the six fields makes room for further ones.
    const int belowFields = du.y(276);

    std::vector<QWidget *> frames;
    for (const TemplateControl &t : WindowTemplate::controls()) {
        QRect r = du.rect(t.x, t.y, t.width, t.height);
        const Language *language =
            t.language >= 0 ? &LanguageTable::languages()[static_cast<std::size_t>(t.language)]
                            : nullptr;
        QWidget *w = nullptr;
        switch (t.kind) {
        case TemplateControl::Kind::List:
            m_list = new CColorListCtrl(this);
            m_model = std::make_unique<LabelTableModel>();
            m_model->setSession(*m_session);
            m_list->setModel(m_model.get());
            w = m_list;
            break;
        case TemplateControl::Kind::Edit: {
            QLineEdit *edit = language ? new SpellLineEdit(this) : new QLineEdit(this);
            edit->setMaxLength(INT_MAX); // a long label must not be cut on Apply
            edit->setEnabled(!language); // editor fields wait for a line to show
            if (!language)
                m_findText = edit;
            else
                m_fields.emplace(std::string(language->columnName), edit);
            w = edit;
            break;
        }
        case TemplateControl::Kind::Button: {
            auto *b = new QPushButton(QString::fromUtf8(t.caption), this);
            if (t.style & TemplateControl::DefaultButton)
                b->setDefault(true);
            w = b;
            break;
        }
        case TemplateControl::Kind::Combo: {
            auto *c = new QComboBox(this);
            // The template's height includes the dropped list; the box is one line high.
            r.setHeight(std::max(du.y(12), c->sizeHint().height()));
            w = c;
            break;
        }
        case TemplateControl::Kind::Caption: {
            auto *l = new QLabel(language ? QString::fromUtf8(language->caption.data(),
                                                              qsizetype(language->caption.size()))
                                          : QString::fromUtf8(t.caption),
                                 this);
            // The font here is wider than the one the template was drawn for: a caption
            // keeps its place but takes the width it needs.
            r.setWidth(std::max(r.width(), l->sizeHint().width()));
            r.adjust(0, -2, 0, 2);
            w = l;
            break;
        }
        case TemplateControl::Kind::Group: {
            auto *group = new QGroupBox(QString::fromUtf8(t.caption), this);
            if (t.x < 100) // the group around the fields, not Find's
                m_fieldsGroup = group;
            w = group;
            frames.push_back(w);
            break;
        }
        case TemplateControl::Kind::Line: {
            auto *line = new QFrame(this);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            r.adjust(0, 0, 0, 1);
            w = line;
            frames.push_back(w);
            break;
        }
        case TemplateControl::Kind::Banner:
            m_banner = new QLabel(this);
            m_banner->setFrameShape(QFrame::Box);
            w = m_banner;
            break;
        case TemplateControl::Kind::Comment:
            m_comment = new QLabel(this);
            m_comment->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            m_comment->setAlignment(Qt::AlignCenter);
            m_comment->setTextFormat(Qt::PlainText);
            w = m_comment;
            break;
        case TemplateControl::Kind::Folder:
            m_folder = new QLabel(this);
            m_folder->setTextFormat(Qt::PlainText);
            w = m_folder;
            break;
        case TemplateControl::Kind::Status:
            m_status = new QLabel(this);
            m_status->setTextFormat(Qt::PlainText);
            m_status->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_commandProgress = std::make_unique<CommandProgressBar>(m_status);
            m_session->setProgress(m_commandProgress.get());
            w = m_status;
            break;
        case TemplateControl::Kind::Summary:
            m_summary = new QLabel(this);
            m_summary->setTextFormat(Qt::PlainText);
            m_summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = m_summary;
            break;
        }
        w->setObjectName(QString::fromUtf8(t.name));
        w->setGeometry(r);
        if (t.style & TemplateControl::Hidden)
            w->hide();
        m_layout.push_back({w, r, t.growth, r.y() >= belowFields, w == m_fieldsGroup});
    }
    m_apply = qobject_cast<QPushButton *>(control(IDC_APPLY));
    m_cbDupTarget = qobject_cast<QComboBox *>(control(IDC_DUP_TARGET));
    m_cbFindColumn = qobject_cast<QComboBox *>(control(IDC_FIND_COLUMN));
    fitDuplicateButton(du);
    createFilterBar();

    // Frames go beneath the fields they surround, or they would take their mouse clicks.
    for (QWidget *f : frames) {
        f->setAttribute(Qt::WA_TransparentForMouseEvents);
        f->lower();
    }

    connect(m_apply, &QPushButton::clicked, this, &CLabelsDlg::OnApply);
    connect(qobject_cast<QPushButton *>(control(IDC_DUPLICATE)), &QPushButton::clicked, this,
            &CLabelsDlg::OnDuplicate);
    connect(qobject_cast<QPushButton *>(control(IDC_FIND_NEXT)), &QPushButton::clicked, this,
            &CLabelsDlg::OnFindNext);
    connect(qobject_cast<QPushButton *>(control(IDOK)), &QPushButton::clicked, this,
            &QDialog::accept);
    for (const TemplateControl &t : WindowTemplate::controls())
        if (t.kind == TemplateControl::Kind::Button && t.language >= 0) {
            const std::string output(
                LanguageTable::languages()[static_cast<std::size_t>(t.language)].extractOutput);
            connect(qobject_cast<QPushButton *>(control(t.id)), &QPushButton::clicked, this,
                    [this, output] { ExtractStringTable(output); });
        }

    // Keys that work from anywhere in the window; the list's context menu offers them too.
    const auto addCommand = [this](const QString &text, const QKeySequence &keys, auto handler) {
        auto *action = new QAction(text, this);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
        return action;
    };
    m_nextNeedingWork =
        addCommand(QStringLiteral("Next line needing work"), QKeySequence(Qt::CTRL | Qt::Key_J),
                   [this] { m_editor.OnNextLineNeedingWork(true); });
    m_previousNeedingWork =
        addCommand(QStringLiteral("Previous line needing work"), QKeySequence(Qt::CTRL | Qt::Key_K),
                   [this] { m_editor.OnNextLineNeedingWork(false); });
    addCommand(QStringLiteral("Find next"), QKeySequence(Qt::Key_F3), &CLabelsDlg::OnFindNext);
    m_undo = addCommand(QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                        [this] { OnUndo(); });
    m_redo = addCommand(QStringLiteral("Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                        [this] { OnRedo(); });
    m_redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // Keys of the table itself: a label in and out of every file.
    const auto addListCommand = [this](const QString &text, const QKeySequence &keys,
                                       auto handler) {
        auto *action = new QAction(text, m_list);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, handler);
        m_list->addAction(action);
        return action;
    };
    m_newLabel = addListCommand(QStringLiteral("New label below..."), QKeySequence(Qt::Key_Insert),
                                &CLabelsDlg::OnNewLabel);
    m_removeLabel = addListCommand(QStringLiteral("Remove label..."), QKeySequence(Qt::Key_Delete),
                                   &CLabelsDlg::OnRemoveLabels);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, &CLabelsDlg::showListMenu);

    // Every move of the current row and every change of the selection, by mouse, key or
    // command, brings the fields in step with the list.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CLabelsDlg::OnListChanged);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CLabelsDlg::OnListChanged);
}

void CLabelsDlg::createFilterBar()
{
    m_filterBar = new FilterBar(this);
    m_filterBar->setObjectName(QStringLiteral("IDC_FILTER"));
    // The row under the list (the template leaves it free, the status line at its right);
    // it moves as the list's bottom does, over the left part of the width.
    Placed *list = nullptr;
    for (Placed &p : m_layout)
        if (p.widget == m_list)
            list = &p;
    const int height = m_filterBar->sizeHint().height();
    const int gap = 2;
    const QRect r(list->base.x(), list->base.bottom() + 1 + gap, list->base.width() * 3 / 5,
                  height);
    // The status line shares the row, its text centred on the row's height.
    for (Placed &p : m_layout)
        if (p.widget == m_status) {
            p.base.setTop(r.top());
            p.base.setHeight(height);
            m_status->setGeometry(p.base);
        }
    Growth growth = list->growth;
    growth.moveY += growth.growHeight;
    growth.growHeight = 0;
    growth.growWidth *= 0.6;
    m_filterBar->setGeometry(r);
    m_layout.push_back({m_filterBar, r, growth, false, false});

    // In the tab order the row comes right before the list.
    QWidget *before = m_list->previousInFocusChain();
    while (before != m_list && !(before->focusPolicy() & Qt::TabFocus))
        before = before->previousInFocusChain();
    QWidget::setTabOrder(before, m_filterBar->field());
    QWidget::setTabOrder(m_filterBar->field(), m_filterBar->showBox());
    QWidget::setTabOrder(m_filterBar->showBox(), m_list);

    auto *focusFilter = new QAction(QStringLiteral("Filter"), this);
    focusFilter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(focusFilter, &QAction::triggered, this, [this] {
        m_filterBar->field()->setFocus(Qt::ShortcutFocusReason);
        m_filterBar->field()->selectAll();
    });
    addAction(focusFilter);
    // How far each language is: one line at the foot of the summary's place, cut short with
    // "..." where the window is too narrow for every language (the tooltip has them all).
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("IDC_PROGRESS"));
    m_progress->setTextFormat(Qt::PlainText);
    m_progress->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    for (Placed &p : m_layout)
        if (p.widget == m_summary) {
            const int lines = m_progress->fontMetrics().lineSpacing();
            p.base.setHeight(p.base.height() - lines);
            const QRect pr(p.base.x(), p.base.bottom() + 1, p.base.width(), lines);
            Growth g = p.growth;
            g.moveY += g.growHeight;
            g.growHeight = 0;
            m_progress->setGeometry(pr);
            m_layout.push_back({m_progress, pr, g, p.belowFields, false});
            break;
        }
    connect(m_filterBar, &FilterBar::resultReady, this, &CLabelsDlg::showFilterResult);
    connect(m_filterBar, &FilterBar::toList, this, &CLabelsDlg::enterListFromFilter);
}

void CLabelsDlg::fitSummary()
{
    // The counts fill whole lines, as many lines as the place holds; where they do not all
    // fit, the last line ends in "..." (the tooltip has them all).
    const QFontMetrics metrics = m_summary->fontMetrics();
    const int width = std::max(m_summary->width(), 1);
    const int room = std::max(1, m_summary->height() / std::max(metrics.lineSpacing(), 1));
    QStringList lines;
    for (qsizetype i = 0; i < m_summaryCounts.size(); ++i) {
        const QString item =
            m_summaryCounts[i] +
            (i + 1 < m_summaryCounts.size() ? QStringLiteral(" \u00B7") : QString());
        if (!lines.isEmpty() && metrics.horizontalAdvance(lines.last() + u' ' + item) <= width)
            lines.last() += u' ' + item;
        else
            lines << item;
    }
    if (lines.size() > room) {
        const QString rest = lines.mid(room - 1).join(u' ');
        lines = lines.mid(0, room - 1);
        lines << metrics.elidedText(rest, Qt::ElideRight, width);
    }
    m_summary->setText(lines.join(u'\n'));
}

void CLabelsDlg::fitProgress()
{
    m_progress->setText(m_progress->fontMetrics().elidedText(m_progressText, Qt::ElideRight,
                                                             std::max(m_progress->width(), 1)));
}

void CLabelsDlg::showFilterResult()
{
    LabelFilter *filter = m_filterBar->filter();
    // The selection and the current line as grid rows, read through what was shown.
    const int current = currentRow();
    const int currentColumn = m_list->selectionModel()->currentIndex().column();
    std::vector<int> selected;
    for (const QItemSelectionRange &range : m_list->selectionModel()->selection())
        for (int r = std::max(0, range.top()); r <= range.bottom(); ++r)
            if (const int row = filter->previousGridRow(std::size_t(r)); row >= 0)
                if (const int shown = filter->shownIndex(row); shown >= 0)
                    selected.push_back(shown);
    m_model->load([] {});
    // Runs of consecutive rows become one range each: a selection of every line stays small.
    std::sort(selected.begin(), selected.end());
    QItemSelection selection;
    const int last = m_model->columnCount() - 1;
    for (std::size_t i = 0; i < selected.size();) {
        std::size_t j = i;
        while (j + 1 < selected.size() && selected[j + 1] <= selected[j] + 1)
            ++j;
        selection.select(m_model->index(selected[i], 0), m_model->index(selected[j], last));
        i = j + 1;
    }
    const QSignalBlocker block(m_list->selectionModel());
    m_list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (const int shown = m_model->modelRow(current); shown >= 0) {
        m_list->selectionModel()->setCurrentIndex(m_model->index(shown, std::max(0, currentColumn)),
                                                  QItemSelectionModel::NoUpdate);
        m_list->scrollTo(m_model->index(shown, std::max(0, currentColumn)));
    }
    OnListChanged();
}

void CLabelsDlg::enterListFromFilter()
{
    m_list->setFocus(Qt::OtherFocusReason);
    if (m_model->rowCount() == 0)
        return;
    moveToRow(m_model->gridRow(0));
}

void CLabelsDlg::fitDuplicateButton(const DialogUnits &du)
{
    // The caption is long: the button takes the width it needs, the list beside it the rest.
    const auto place = [&](QWidget *w, const QRect &r) {
        w->setGeometry(r);
        for (Placed &p : m_layout)
            if (p.widget == w)
                p.base = r;
    };
    QWidget *duplicate = control(IDC_DUPLICATE);
    QRect d = duplicate->geometry();
    d.setRight(std::max(d.right(), d.x() + duplicate->sizeHint().width()));
    place(duplicate, d);
    QRect t = m_cbDupTarget->geometry();
    if (t.x() <= d.right() + du.x(2)) {
        const int right = t.right();
        t.setLeft(d.right() + du.x(3));
        t.setRight(std::max(right, t.left() + du.x(40) - 1));
        place(m_cbDupTarget, t);
    }
}

void CLabelsDlg::placeFurtherFields()
{
    for (QWidget *w : m_furtherFields) {
        m_layout.erase(std::remove_if(m_layout.begin(), m_layout.end(),
                                      [w](const Placed &p) { return p.widget == w; }),
                       m_layout.end());
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            std::erase_if(m_fields, [edit](const auto &f) { return f.second == edit; });
        delete w;
    }
    m_furtherFields.clear();

    const DialogUnits du(font());
    const TemplateControl *last = WindowTemplate::byId(IDC_EDIT_PORTUGUESE);
    Growth captionGrowth;
    for (const TemplateControl &t : WindowTemplate::controls())
        if (t.kind == TemplateControl::Kind::Caption && t.language == last->language)
            captionGrowth = t.growth;
    // In the tab order they follow the fields above Apply, as the six do.
    QWidget *previous = control(IDC_EDIT_GERMAN);
    const LabelGrid &g = grid();
    int n = 0;
    for (int c = 2; const auto header = g.header(c); ++c) {
        if (LanguageTable::byColumnName(*header))
            continue;
        ++n;
        // "DUTCH" is captioned "Dutch:", as the six are.
        QString name = toQt(*header).toLower();
        if (!name.isEmpty())
            name[0] = name[0].toUpper();
        auto *caption = new QLabel(name + QLatin1Char(':'), this);
        QRect cr = du.rect(11, last->y + 2 + 16 * n, 40, 8);
        cr.setWidth(std::max(cr.width(), caption->sizeHint().width()));
        cr.adjust(0, -2, 0, 2);
        auto *edit = new SpellLineEdit(this);
        edit->setMaxLength(INT_MAX);
        edit->setEnabled(false);
        edit->setObjectName(QStringLiteral("IDC_EDIT_") + toQt(*header));
        caption->setBuddy(edit);
        const QRect er = du.rect(last->x, last->y + 16 * n, last->width, last->height);
        for (auto [w, r, growth] :
             {std::tuple<QWidget *, QRect, Growth>{caption, cr, captionGrowth},
              {edit, er, last->growth}}) {
            w->setGeometry(r);
            w->show();
            m_layout.push_back({w, r, growth, false, false});
            m_furtherFields.push_back(w);
        }
        QWidget::setTabOrder(previous, edit);
        previous = edit;
        m_fields.emplace(std::string(*header), edit);
    }
    if (n > 0)
        QWidget::setTabOrder(previous, m_apply);
    const QLineEdit *french = editorField("FRENCH");
    for (const auto &[header, field] : m_fields)
        if (auto *spelled = qobject_cast<SpellLineEdit *>(field))
            spelled->setSpelling(wordChecker(), header, field == french ? nullptr : french);
    m_fieldsShift = du.y(16) * n;
    setMinimumSize(m_templateSize + QSize(0, m_fieldsShift));
    if (height() < minimumHeight())
        resize(width(), minimumHeight());
    layOut();
}

void CLabelsDlg::setShownId(std::string_view id)
{
    m_fieldsGroup->setTitle(id.empty() ? QStringLiteral("Modification")
                                       : QStringLiteral("Modification of ") + toQt(id));
    muteUnderlines(id);
}

void CLabelsDlg::muteUnderlines(std::string_view id)
{
    // A spelling finding declared right is not underlined either.
    for (const auto &[header, field] : m_fields)
        if (auto *spelled = qobject_cast<SpellLineEdit *>(field))
            spelled->setMuted(!id.empty() && m_session->mutes().muted(id, Check::Spelling, header));
}

void CLabelsDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    layOut();
}

void CLabelsDlg::layOut()
{
    const auto refitFolder = qScopeGuard([this] {
        showFolder();
        fitSummary();
        fitProgress();
    });
    const QSize extra = size() - minimumSize();
    const auto grow = [](double fraction, int pixels) {
        return static_cast<int>(fraction * std::max(pixels, 0));
    };
    for (const Placed &p : m_layout) {
        const Growth &g = p.growth;
        p.widget->setGeometry(p.base.x() + grow(g.moveX, extra.width()),
                              p.base.y() + grow(g.moveY, extra.height()) +
                                  (p.belowFields ? m_fieldsShift : 0),
                              p.base.width() + grow(g.growWidth, extra.width()),
                              p.base.height() + grow(g.growHeight, extra.height()) +
                                  (p.aroundFields ? m_fieldsShift : 0));
    }
}

QWidget *CLabelsDlg::control(int id) const
{
    const TemplateControl *t = WindowTemplate::byId(id);
    return t ? findChild<QWidget *>(QString::fromUtf8(t->name), Qt::FindDirectChildrenOnly)
             : nullptr;
}

QLineEdit *CLabelsDlg::editorField(std::string_view header) const
{
    const auto found = m_fields.find(header);
    return found == m_fields.end() ? nullptr : found->second;
}

QString CLabelsDlg::toQt(std::string_view bytes) const
{
    return QString::fromStdString(codec().toUtf8(bytes));
}

void CLabelsDlg::OnInitDialog()
{
    std::string dir = std::exchange(m_strDir, {});
    if (dir.empty()) {
        dir = LabelDirectory::workingDirectory();
        if (dir.empty())
            std::cerr << "verbolt: cannot read the working directory: " << std::strerror(errno)
                      << "\n";
    }
    loadFolder(dir);
    m_banner->hide();
    m_banner->setContextMenuPolicy(Qt::NoContextMenu);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &CLabelsDlg::showBannerMenu);
    m_list->setFocus();
}

void CLabelsDlg::loadFolder(const std::string &dir)
{
    m_strDir = dir;
    m_lastScriptFolder = dir;
    m_marksTimer.stop();
    // The folder is read into a session of its own while the loading window shows; the
    // list then takes it in one reset, with no event handled in between.
    m_dlgLoading->start();
    std::unique_ptr<LabelSession> loaded = openSession();
    m_dlgLoading->finish();
    m_model->load([&] {
        std::swap(m_session, loaded);
        m_model->setSession(*m_session);
        m_filterBar->setSession(*m_session);
        m_model->setFilter(m_filterBar->filter());
        m_model->setProgress({});
    });
    placeFurtherFields();
    m_editor.setSession(*m_session);
    loaded.reset();
    const LoadResult &load = m_session->load();
    if (!load.listing.ok())
        m_pendingMessage = LabelDirectory::unreadableMessage(m_strDir);
    setStatus(m_session->loadNote());
    armWatcher();

    for (int c = 1; c < grid().columnCount(); ++c)
        m_list->setColumnWidth(c, 200);
    sizeIdColumn();
    // Each entry keeps its header's bytes: the shown text need not convert back exactly.
    m_cbDupTarget->clear();
    m_cbFindColumn->clear();
    for (const std::string &name : load.dupTargets)
        m_cbDupTarget->addItem(toQt(name), QByteArray::fromStdString(name));
    for (const std::string &name : load.findColumns)
        m_cbFindColumn->addItem(toQt(name), QByteArray::fromStdString(name));
    m_cbDupTarget->setCurrentIndex(m_cbDupTarget->count() > 0 ? 0 : -1);
    m_cbFindColumn->setCurrentIndex(m_cbFindColumn->count() > 0 ? 0 : -1);

    m_summary->clear();
    m_summary->setToolTip({});
    m_summaryCounts.clear();
    m_progress->clear();
    m_progressText.clear();
    showFolder();
    if (isVisible())
        startAfterShow();
}

void CLabelsDlg::armWatcher()
{
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    QStringList paths;
    for (const std::string &p : m_session->watchedPaths())
        if (QFileInfo::exists(QString::fromStdString(p)))
            paths << QString::fromStdString(p);
    if (!paths.isEmpty())
        m_watcher.addPaths(paths);
}

void CLabelsDlg::setStatus(const std::string &text)
{
    const QString shown = QString::fromStdString(text);
    m_status->setToolTip(shown);
    m_status->setText(
        m_status->fontMetrics().elidedText(shown, Qt::ElideMiddle, std::max(m_status->width(), 1)));
}

void CLabelsDlg::OnDiskChanged()
{
    if (m_columnRead) {
        m_diskTimer.start(); // a read is under way: look again once it is in
        return;
    }
    const DiskChanges changes = m_session->diskChanges();
    if (!changes.any()) {
        armWatcher();
        return;
    }
    if (changes.french || changes.files) {
        reloadKeepingPlace();
        setStatus(changes.french ? "french.lan was changed by another program: the table was "
                                   "read again."
                                 : "Label files came or went: the table was read again.");
        return;
    }
    std::string what;
    for (const int c : changes.columns)
        what += (what.empty() ? "" : ", ") + codec().toUtf8(grid().fileName(c));
    if (changes.comments)
        what += (what.empty() ? "" : ", ") + std::string("comments.cmt");
    std::vector<std::function<LabelSession::ColumnRead()>> readers;
    for (const int c : changes.columns)
        readers.push_back(m_session->columnReader(c));
    auto reads = std::make_shared<std::vector<LabelSession::ColumnRead>>();
    m_columnRead = QThread::create([readers = std::move(readers), reads] {
        for (const auto &read : readers)
            reads->push_back(read());
    });
    m_columnRead->setParent(this); // gone with the window, once its destructor has waited
    connect(m_columnRead, &QThread::finished, this,
            [this, reads, comments = changes.comments, what] {
                m_columnRead->deleteLater();
                m_columnRead = nullptr;
                adoptColumns(*reads, comments, what);
            });
    m_columnRead->start();
}

void CLabelsDlg::adoptColumns(std::vector<LabelSession::ColumnRead> &reads, bool comments,
                              const std::string &what)
{
    CommandOutcome outcome;
    bool overtaken = false;
    for (LabelSession::ColumnRead &read : reads)
        overtaken = !m_session->adoptColumn(std::move(read), outcome) || overtaken;
    if (comments) {
        DiskChanges rest;
        rest.comments = true;
        m_session->reload(rest);
    }
    m_editor.OnReloaded(outcome);
    if (comments && m_editor.shownLine() >= 0)
        m_comment->setText(toQt(m_session->comment(m_editor.currentId())));
    if (!outcome.reloadedColumns.empty() || comments)
        setStatus("Read again, changed by another program: " + what + ".");
    armWatcher();
    if (overtaken)
        m_diskTimer.start(); // the table changed while the files were read: read them again
}

std::unique_ptr<LabelSession> CLabelsDlg::openSession()
{
    std::unique_ptr<LabelSession> loaded = LabelSession::open(m_strDir, *m_dlgLoading, m_fs);
    loaded->marks().setWordChecker(wordChecker());
    if (m_ownWords) {
        // The dictionaries are read beside the window: its marks come in once they are.
        std::vector<std::string> languages;
        for (int c = 2; c < loaded->grid().columnCount(); ++c)
            languages.emplace_back(loaded->grid().header(c).value_or(""));
        m_ownWords->openInBackground(std::move(languages));
    }
    loaded->setProgress(m_commandProgress.get());
    return loaded;
}

void CLabelsDlg::reloadKeepingPlace()
{
    // The loading window takes the keyboard while it shows; it comes back here after.
    const bool active = isActiveWindow();
    // The place by ID: rows may have come or gone above it.
    const std::string current =
        currentRow() >= 0 ? std::string(grid().itemText(currentRow(), 0)) : std::string();
    std::vector<std::string> selected;
    for (const int r : selectedRows())
        selected.emplace_back(grid().itemText(r, 0));
    const int top = m_list->rowAt(0);
    const std::string topId = top >= 0 ? std::string(grid().itemText(top, 0)) : std::string();
    std::unique_ptr<LabelSession> previous;
    {
        // The previous session's history goes on in the new one.
        std::unique_ptr<LabelSession> loaded = openSession();
        loaded->adoptHistory(*m_session);
        m_model->load([&] {
            std::swap(m_session, loaded);
            m_model->setSession(*m_session);
            // The filter reads the grid too: the new one's, before the old goes.
            m_filterBar->setSession(*m_session, true);
            m_model->setFilter(m_filterBar->filter());
        });
        previous = std::move(loaded);
    }
    placeFurtherFields();
    m_editor.setSession(*m_session);
    previous.reset();
    LabelMarks &marks = m_session->marks();
    marks.indexFrench(); // the French IDs, to find the rows by ID
    if (const int row = marks.frenchRow(topId); row >= 0)
        m_list->scrollTo(m_model->index(row, 0), QAbstractItemView::PositionAtTop);
    for (const std::string &id : selected)
        setRowSelected(marks.frenchRow(id), true);
    if (const int row = marks.frenchRow(current); row >= 0)
        setCurrentRow(row);
    m_editor.ShowLine(currentRow());
    if (isVisible())
        startAfterShow();
    armWatcher();
    if (active)
        activateWindow();
}

void CLabelsDlg::showFolder()
{
    const QString folder = QString::fromStdString(LabelDirectory::shown(m_strDir));
    m_folder->setToolTip(folder);
    m_folder->setText(
        m_folder->fontMetrics().elidedText(folder, Qt::ElideMiddle, m_folder->width()));
}

void CLabelsDlg::sizeIdColumn()
{
    const LabelGrid &g = grid();
    if (g.columnCount() == 0)
        return;
    // Only the longest IDs can be the widest: measure those rather than every row.
    std::vector<std::pair<std::size_t, int>> lengths;
    lengths.reserve(static_cast<std::size_t>(g.rowCount()));
    for (int r = 0; r < g.rowCount(); ++r)
        lengths.emplace_back(g.itemText(r, 0).size(), r);
    const std::size_t keep = std::min<std::size_t>(lengths.size(), 64);
    std::partial_sort(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(keep),
                      lengths.end(), std::greater<>());
    const QFontMetrics fm(m_list->font());
    int widest =
        m_list->horizontalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("ID")) + 12;
    for (std::size_t i = 0; i < keep; ++i)
        widest = std::max(widest, fm.horizontalAdvance(
                                      toQt(codec().prefix(g.itemText(lengths[i].second, 0), 400))));
    m_list->setColumnWidth(0, widest + 12);
}

void CLabelsDlg::computeMarks()
{
    // A slice at a time between events: the window answers while a large set is checked.
    // Rows cost what their texts and checks cost (the French IDs far less than the
    // translations), so a slice is bounded by time: 20 ms, then the events go first.
    if (m_session->marks().waitingForWords()) {
        m_marksTimer.setInterval(10); // a dictionary is being read: look again in a moment
        return;
    }
    m_marksTimer.setInterval(0);
    QElapsedTimer timer;
    timer.start();
    bool done = false;
    do
        done = m_session->marks().computeSome(256);
    while (!done && timer.elapsed() < 20);
    m_list->viewport()->update();
    if (done) {
        m_marksTimer.stop();
        showSummary();
    }
}

void CLabelsDlg::showSummary()
{
    if (!marks().complete())
        return;
    // One count a mark, its words held together: lines break between the counts only.
    QStringList counts;
    for (int k = 0; k < Mark::kKinds; ++k)
        if (const std::size_t n = marks().counts()[static_cast<std::size_t>(k)]; n > 0) {
            const std::string_view name = LabelMarks::kindName(k);
            QString count = QString::number(n) + QLatin1Char(' ') +
                            QString::fromUtf8(name.data(), qsizetype(name.size()));
            counts << count.replace(QLatin1Char(' '), QChar::Nbsp);
        }
    // Then how far each language is, its counts in the tooltip and the column's header.
    std::vector<LanguageProgress> progress = LanguageStats::compute(grid(), marks());
    QStringList shares;
    QStringList described;
    for (const LanguageProgress &p : progress) {
        const std::size_t pm = p.perMille();
        shares << toQt(p.header) + QChar::Nbsp + QString::number(pm / 10) + QLatin1Char('.') +
                      QString::number(pm % 10) + QLatin1Char('%');
        described << toQt(LanguageStats::describe(p));
    }
    m_summaryCounts = counts;
    m_summary->setToolTip(counts.join(QStringLiteral(" \u00B7 ")));
    fitSummary();
    m_progressText = shares.join(QStringLiteral(" \u00B7 "));
    fitProgress();
    m_progress->setToolTip(described.join(QLatin1Char('\n')));
    m_model->setProgress(std::move(progress));
}

void CLabelsDlg::startAfterShow()
{
    // A folder read again to find rows by ID may have its marks whole already.
    if (!marks().complete())
        m_marksTimer.start();
    else
        showSummary();
    // A message about the load waits until the window it speaks of is on screen.
    if (!m_pendingMessage.empty())
        QTimer::singleShot(0, this, [this] {
            const std::string text = std::exchange(m_pendingMessage, {});
            if (!text.empty())
                showMessage(text);
        });
}

void CLabelsDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    startAfterShow();
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
    for (const Language &l : LanguageTable::languages()) {
        if (l.extractOutput.empty())
            continue;
        // "French:" names the menu entry "Extract French string table...".
        const std::string name(l.caption.substr(0, l.caption.find(':')));
        const std::string output(l.extractOutput);
        menu.addAction(QString::fromStdString("Extract " + name + " string table..."), this,
                       [this, output] { ExtractStringTable(output); });
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("Export for translation..."), this,
                   &CLabelsDlg::OnExportForTranslation);
    menu.addAction(QStringLiteral("Import translations..."), this,
                   &CLabelsDlg::OnImportTranslations);
    menu.addAction(QStringLiteral("Put in French order..."), this, &CLabelsDlg::OnPutInFrenchOrder);
    menu.addAction(QStringLiteral("New language..."), this, &CLabelsDlg::OnNewLanguage);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Open another label folder..."), this, &CLabelsDlg::OnOpenFolder);
    menu.exec(mapToGlobal(pos));
}

void CLabelsDlg::OnExportForTranslation()
{
    if (const std::string status = ExchangeCommands(this, *m_prompts).exportFile(*m_session);
        !status.empty())
        setStatus(status);
}

void CLabelsDlg::OnImportTranslations()
{
    std::string status;
    const CommandOutcome outcome =
        ExchangeCommands(this, *m_prompts).importFile(*m_session, status);
    m_editor.OnReloaded(outcome);
    if (!status.empty())
        setStatus(status);
}

void CLabelsDlg::OnPutInFrenchOrder()
{
    const std::vector<std::string> lines = m_session->frenchOrderPreview();
    if (lines.empty()) {
        setStatus("Every language file is in French order.");
        return;
    }
    QString question = QStringLiteral("Put these files in French order?\n");
    for (const std::string &line : lines)
        question += QLatin1Char('\n') + QString::fromStdString(line);
    question += QStringLiteral("\n\nLabels a file lacks get a line of their own.");
    const int choice = m_prompts->ask(
        this, question,
        {QStringLiteral("New lines empty"), QStringLiteral("New lines with the French text")}, 0);
    if (choice != 0 && choice != 1)
        return;
    const CommandOutcome outcome = m_session->putInFrenchOrder(
        choice == 1 ? LabelAlign::Fill::French : LabelAlign::Fill::Empty);
    m_editor.OnReloaded(outcome);
    if (!outcome.writtenColumns.empty())
        setStatus("Put in French order: " + std::to_string(outcome.writtenColumns.size()) +
                  (outcome.writtenColumns.size() == 1 ? " file." : " files."));
}

void CLabelsDlg::showListMenu(const QPoint &pos)
{
    // Undo and Redo say what they would take back or make again.
    const LabelHistory &history = m_editor.history();
    const auto name = [](const char *verb, const std::string &what) {
        return what.empty()
                   ? QString::fromUtf8(verb)
                   : QString::fromUtf8(verb) + QLatin1Char(' ') + QString::fromStdString(what);
    };
    m_undo->setText(name("Undo", history.nextUndo()));
    m_undo->setEnabled(history.canUndo());
    m_redo->setText(name("Redo", history.nextRedo()));
    m_redo->setEnabled(history.canRedo());
    QMenu menu(this);
    menu.addAction(m_undo);
    menu.addAction(m_redo);
    menu.addSeparator();
    menu.addAction(m_nextNeedingWork);
    menu.addAction(m_previousNeedingWork);
    if (const QModelIndex at = m_list->indexAt(pos); at.isValid()) {
        const int row = m_model->gridRow(at.row());
        IgnoreCheckMenu::add(
            menu, *m_session, row, at.column(), [this, row, at](Check c, bool all) {
                if (const std::string problem = m_session->muteCheck(row, at.column(), c, all);
                    !problem.empty())
                    showMessage(problem);
                cellsChanged(row, row);
                if (row == m_editor.shownLine())
                    muteUnderlines(m_editor.currentId());
            });
    }
    menu.addSeparator();
    menu.addAction(m_newLabel);
    menu.addAction(m_removeLabel);
    menu.addAction(QStringLiteral("Put in French order..."), this, &CLabelsDlg::OnPutInFrenchOrder);
    menu.exec(m_list->viewport()->mapToGlobal(pos));
    m_undo->setEnabled(true);
    m_redo->setEnabled(true);
}

void CLabelsDlg::setWordChecker(WordChecker *words)
{
    m_words = words;
}

WordChecker *CLabelsDlg::wordChecker()
{
    if (!m_words) {
        // A language without its dictionary is said once, on the line under the table, when
        // that line has nothing else to say.
        m_ownWords = std::make_unique<HunspellChecker>([this](const std::string &note) {
            QMetaObject::invokeMethod(
                this,
                [this, note] {
                    if (m_status->text().isEmpty())
                        setStatus("Spelling: " + note);
                },
                Qt::QueuedConnection);
        });
        m_words = m_ownWords.get();
    }
    return m_words;
}

// Handlers

int CLabelsDlg::currentRow() const
{
    const QModelIndex current = m_list->selectionModel()->currentIndex();
    return current.isValid() ? m_model->gridRow(current.row()) : -1;
}

void CLabelsDlg::OnListChanged()
{
    m_editor.ShowLine(currentRow());
}

void CLabelsDlg::OnApply()
{
    m_editor.OnApply();
}

void CLabelsDlg::OnDuplicate()
{
    m_editor.OnDuplicate();
}

void CLabelsDlg::OnFindNext()
{
    m_editor.OnFindNext();
}

void CLabelsDlg::OnUndo()
{
    // In a text field the keys undo its typing, as anywhere else.
    if (auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget()))
        field->undo();
    else
        m_editor.OnUndo();
    if (m_session->rowsStale()) // a label came back or went again
        reloadKeepingPlace();
}

void CLabelsDlg::OnRedo()
{
    if (auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget()))
        field->redo();
    else
        m_editor.OnRedo();
    if (m_session->rowsStale())
        reloadKeepingPlace();
}

void CLabelsDlg::OnNewLabel()
{
    NewLabelDlg dialog(
        [this](const QString &id, const QString &french) {
            return QString::fromStdString(
                m_session->newLabelProblem(id.toStdString(), french.toStdString()));
        },
        this);
    if (!m_prompts->newLabel(dialog))
        return;
    const CommandOutcome outcome =
        m_session->addLabel(dialog.id().toStdString(), dialog.french().toStdString(), currentRow());
    afterRowsChanged(outcome, codec().fromUtf8(dialog.id().toStdString()).value_or(""));
}

void CLabelsDlg::OnRemoveLabels()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    const QString question =
        rows.size() == 1
            ? QStringLiteral("Remove %1 from french.lan and every language file?")
                  .arg(toQt(grid().itemText(rows.front(), 0)))
            : QStringLiteral("Remove these %1 labels from french.lan and every language file?")
                  .arg(rows.size());
    if (m_prompts->ask(this, question, {QStringLiteral("Remove")}, 0) != 0)
        return;
    // The line after the last one removed takes the cursor.
    const int next = rows.back() + 1;
    const std::string nextId =
        next < grid().rowCount() ? std::string(grid().itemText(next, 0)) : std::string();
    afterRowsChanged(m_session->removeLabels(rows), nextId);
}

void CLabelsDlg::OnNewLanguage()
{
    const QString name =
        m_prompts
            ->askText(this, QStringLiteral("Name of the new language (letters, e.g. Swedish):"))
            .trimmed();
    if (name.isEmpty())
        return;
    if (const std::string problem = m_session->newLanguageProblem(name.toStdString());
        !problem.empty()) {
        m_prompts->message(this, QString::fromStdString(problem));
        return;
    }
    const int fill = m_prompts->ask(
        this, QStringLiteral("Make %1.lan with every French label?").arg(name.toLower()),
        {QStringLiteral("New lines empty"), QStringLiteral("New lines with the French text")}, 0);
    if (fill != 0 && fill != 1)
        return;
    const std::string current =
        currentRow() >= 0 ? std::string(grid().itemText(currentRow(), 0)) : std::string();
    afterRowsChanged(m_session->addLanguage(name.toStdString(), fill == 1
                                                                    ? LabelAlign::Fill::French
                                                                    : LabelAlign::Fill::Empty),
                     current);
}

void CLabelsDlg::afterRowsChanged(const CommandOutcome &outcome, const std::string &currentId)
{
    if (!outcome.problems.empty())
        m_prompts->message(this, QString::fromStdString(outcome.problemText()));
    if (!m_session->rowsStale())
        return;
    reloadKeepingPlace();
    const int row = m_session->frenchRow(currentId);
    m_list->selectionModel()->clearSelection();
    if (row >= 0) {
        setRowSelected(row, true);
        setCurrentRow(row);
    }
    m_editor.ShowLine(currentRow());
    m_list->setFocus();
    // The loading window that showed while the folder was read took the keyboard with it.
    activateWindow();
}

void CLabelsDlg::OnOpenFolder()
{
    const QString from = QString::fromStdString(m_strDir);
    const QString chosen = m_prompts->chooseFolder(this, from);
    if (chosen.isEmpty())
        return;
    loadFolder(LabelDirectory::asDirectory(chosen.toStdString()));
    // The window takes the keyboard back from the closed chooser, its shortcuts with it.
    activateWindow();
    m_list->setFocus();
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
    const Result result = StringTableExtractor::extractToFile(script, outputName);
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
    const int rows = grid().rowCount();
    std::vector<char> marked(static_cast<std::size_t>(rows), 0);
    for (const QItemSelectionRange &range : m_list->selectionModel()->selection())
        for (int r = std::max(0, range.top()); r <= range.bottom(); ++r)
            if (const int row = m_model->gridRow(r); row >= 0 && row < rows)
                marked[static_cast<std::size_t>(row)] = 1;
    std::vector<int> out;
    for (int r = 0; r < rows; ++r)
        if (marked[static_cast<std::size_t>(r)])
            out.push_back(r);
    return out;
}

bool CLabelsDlg::isRowSelected(int row)
{
    const int shown = m_model->modelRow(row);
    return shown >= 0 && m_list->selectionModel()->isRowSelected(shown, {});
}

bool CLabelsDlg::isRowShown(int row)
{
    return m_model->modelRow(row) >= 0;
}

void CLabelsDlg::setRowSelected(int row, bool selected)
{
    const int shown = m_model->modelRow(row);
    if (shown < 0)
        return;
    m_list->selectionModel()->select(
        m_model->index(shown, 0),
        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
            QItemSelectionModel::Rows);
}

QModelIndex CLabelsDlg::indexInRow(int row) const
{
    // The current column, or the leftmost one shown: moving to a row never scrolls sideways.
    const QModelIndex current = m_list->selectionModel()->currentIndex();
    const int column = current.isValid() ? current.column() : std::max(0, m_list->columnAt(0));
    return m_model->index(m_model->modelRow(row), column);
}

void CLabelsDlg::setCurrentRow(int row)
{
    const QModelIndex index = m_model->modelRow(row) >= 0 ? indexInRow(row) : QModelIndex();
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void CLabelsDlg::moveToRow(int row)
{
    if (m_model->modelRow(row) < 0)
        return;
    const QModelIndex index = indexInRow(row);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    ensureRowVisible(row);
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
    // What is shown stays; the next query tests these rows afresh.
    if (LabelFilter *filter = m_filterBar->filter())
        for (int r = std::max(firstRow, 0); r <= lastRow; ++r)
            filter->rowChanged(r);
    m_model->refreshRows(firstRow, lastRow);
    // A column read afresh after a write is marked again, a slice at a time.
    if (!marks().complete() && isVisible())
        m_marksTimer.start();
    showSummary();
}

bool CLabelsDlg::hasField(std::string_view header)
{
    return editorField(header) != nullptr;
}

std::optional<std::string> CLabelsDlg::fieldText(std::string_view header)
{
    const QLineEdit *edit = editorField(header);
    if (!edit)
        return std::string();
    return codec().fromUtf8(edit->text().toStdString());
}

void CLabelsDlg::setFieldText(std::string_view header, std::string_view text)
{
    if (QLineEdit *edit = editorField(header)) {
        edit->setText(toQt(text));
        edit->setCursorPosition(0);
    }
}

void CLabelsDlg::setFieldEnabled(std::string_view header, bool enabled)
{
    if (QLineEdit *edit = editorField(header))
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

int CLabelsDlg::ask(const std::string &question, const std::vector<std::string> &choices,
                    int preferred)
{
    QStringList buttons;
    for (const std::string &c : choices)
        buttons << QString::fromStdString(c);
    return m_prompts->ask(this, QString::fromStdString(question), buttons, preferred);
}

} // namespace verbolt
