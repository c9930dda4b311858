#pragma once

#include "cloadingdlg.h"
#include "dialogunits.h"
#include "labeleditor.h"
#include "labelsession.h"
#include "labelview.h"
#include "windowtemplate.h"

#include <QDialog>
#include <QFileSystemWatcher>
#include <QModelIndex>
#include <QPixmap>
#include <QTimer>

#include <map>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;

namespace verbolt {

class CColorListCtrl;
class CommandProgressBar;
class FilterBar;
class HunspellChecker;
class LabelTableModel;
class UserPrompts;

/// The main window: the label list, one editor field per known language, Apply, Duplicate,
/// Find and the comment line. It loads the label directory when it initialises into a
/// LabelSession and forwards every command to LabelEditor, for which it is the LabelView.
class CLabelsDlg : public QDialog, public LabelView
{
    Q_OBJECT

public:
    /// `dir` is the label directory ending in "/"; empty means the working directory.
    /// `prompts` answers messages and the file chooser (the real dialogs when null). The
    /// folders loaded are listed and written through `fs`.
    explicit CLabelsDlg(std::string dir = {}, UserPrompts *prompts = nullptr,
                        QWidget *parent = nullptr, FileSystem &fs = FileSystem::disk());
    ~CLabelsDlg() override;

    /// Records the label directory, shows the loading window and loads every label file.
    void OnInitDialog();
    /// Loads the label folder `dir` (ending in "/") afresh: its code page, the table, the
    /// drop-down lists, and no current line. Unapplied edits in the fields are dropped.
    void loadFolder(const std::string &dir);

    // Handlers, forwarded to the editing commands.
    /// The list's current row or selection changed.
    void OnListChanged();
    void OnApply();
    void OnDuplicate();
    void OnFindNext();
    /// Ctrl+Z and Ctrl+Shift+Z or Ctrl+Y: the last command taken back or made again, or in a
    /// text field its typing.
    void OnUndo();
    void OnRedo();
    /// Asks for another label folder and loads it.
    void OnOpenFolder();
    /// Writes the labels to a file for translators' tools.
    void OnExportForTranslation();
    /// Reads translations back from such a file, after a preview, as one step of undo.
    void OnImportTranslations();
    /// "Put in French order...": lists the files out of step, asks how new lines are
    /// filled, then puts them in order as one step of undo.
    void OnPutInFrenchOrder();
    /// Insert: "New label" below the current line, in every file; it becomes the current
    /// line.
    void OnNewLabel();
    /// Delete: the selected lines' labels out of every file, after a question.
    void OnRemoveLabels();
    /// "New language...": NAME.lan with every French label, its column then shown.
    void OnNewLanguage();
    /// The dictionaries the marks and the editor fields ask about spelling, from the next
    /// load on; the installed Hunspell ones unless set.
    void setWordChecker(WordChecker *words);
    /// Asks for a resource script and writes its string tables to `outputName` beside it.
    void ExtractStringTable(const std::string &outputName);

    const LabelSession &session() const { return *m_session; }
    const LabelGrid &grid() const { return m_session->grid(); }
    const LabelEditor *editor() const { return &m_editor; }
    const LabelMarks &marks() const { return m_session->marks(); }
    CColorListCtrl *list() const { return m_list; }
    FilterBar *filterBar() const { return m_filterBar; }
    CLoadingDlg *loadingDialog() const { return m_dlgLoading; }
    CommandProgressBar &commandProgress() { return *m_commandProgress; }
    /// The control with the given id (the widgets carry it as their object name).
    QWidget *control(int id) const;

    // LabelView
    int selectedCount() override;
    std::vector<int> selectedRows() override;
    bool isRowSelected(int row) override;
    void setRowSelected(int row, bool selected) override;
    void setCurrentRow(int row) override;
    void moveToRow(int row) override;
    void ensureRowVisible(int row) override;
    void focusList() override;
    void cellsChanged(int firstRow, int lastRow) override;
    bool isRowShown(int row) override;
    bool hasField(std::string_view header) override;
    std::optional<std::string> fieldText(std::string_view header) override;
    void setFieldText(std::string_view header, std::string_view text) override;
    void setFieldEnabled(std::string_view header, bool enabled) override;
    void setApplyEnabled(bool enabled) override;
    void setShownId(std::string_view id) override;
    void setCommentText(std::string_view text) override;
    std::string dupTargetText() override;
    std::string findColumnText() override;
    std::optional<std::string> findText() override;
    void showMessage(const std::string &text) override;
    int ask(const std::string &question, const std::vector<std::string> &choices,
            int preferred) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // A control and the place it has at the template's size, and how it follows the window.
    struct Placed
    {
        QWidget *widget;
        QRect base;
        Growth growth;
        bool belowFields = false;  // moves down with the fields of further languages
        bool aroundFields = false; // grows with them
    };

    void createControls();
    /// One field below the six for every further language column of the session, in
    /// column order; what stands below the fields moves down to make room.
    void placeFurtherFields();
    void layOut();
    void fitDuplicateButton(const DialogUnits &du);
    void showListMenu(const QPoint &pos);
    /// The fields of the shown label `id` underline no word where its spelling is muted.
    void muteUnderlines(std::string_view id);
    /// The folder read into a new session, told of the dictionaries and the progress bar.
    std::unique_ptr<LabelSession> openSession();
    void computeMarks();
    void showSummary();
    /// The summary's counts in the lines its place holds; the progress line cut to its width.
    void fitSummary();
    void fitProgress();
    void showFolder();
    /// What waits for the window to be on screen: the marks, a message about the load.
    void startAfterShow();
    /// Watches the folder, the label files and comments.cmt again (a file replaced by a
    /// rename is a new file to watch).
    void armWatcher();
    /// Another program changed something on disk: what changed is read again. Language
    /// files are read on another thread (a million labels take longer than a frame) and
    /// put in place when they are in; French or the folder's files mean a new session.
    void OnDiskChanged();
    /// The language files read on another thread are in: they take their columns, unless
    /// the table changed meanwhile (then they are read again).
    void adoptColumns(std::vector<LabelSession::ColumnRead> &reads, bool comments,
                      const std::string &what);
    /// Reads the folder again into a new session, keeping the undo history, the current
    /// line, the selection and the scroll position by ID.
    void reloadKeepingPlace();
    /// After a command that added or removed French lines: its problems said, the folder
    /// read again, and `currentId` (bytes) the current line where it stands.
    void afterRowsChanged(const CommandOutcome &outcome, const std::string &currentId);
    /// The line under the table (UTF-8); empty clears it.
    void setStatus(const std::string &text);
    void sizeIdColumn();
    const TextCodec &codec() const { return m_session->codec(); }
    QString toQt(std::string_view bytes) const;
    WordChecker *wordChecker();
    QLineEdit *editorField(std::string_view header) const;
    int currentRow() const;
    QModelIndex indexInRow(int row) const;
    void showBannerMenu(const QPoint &pos);
    /// The filter row below the list, which gives up the height it takes.
    void createFilterBar();
    /// The list takes in a new result of the filter, keeping the current line and the
    /// selection where they are still shown.
    void showFilterResult();
    /// Down or Enter in the filter field: the first shown line, in the fields.
    void enterListFromFilter();

    std::string m_strDir;
    QPixmap m_bmpLogo;
    CLoadingDlg *m_dlgLoading = nullptr;
    QComboBox *m_cbFindColumn = nullptr;
    QComboBox *m_cbDupTarget = nullptr;
    CColorListCtrl *m_list = nullptr;
    QLabel *m_banner = nullptr;
    QLabel *m_comment = nullptr;
    QLabel *m_summary = nullptr;
    QLabel *m_folder = nullptr;
    QLabel *m_status = nullptr;
    QAction *m_nextNeedingWork = nullptr;
    QAction *m_previousNeedingWork = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    std::vector<Placed> m_layout;
    QPushButton *m_apply = nullptr;
    QLineEdit *m_findText = nullptr;
    FilterBar *m_filterBar = nullptr;
    QLabel *m_progress = nullptr; // how far each language is, under the summary

    // Told by every session's commands; declared before the session, so it outlives it.
    std::unique_ptr<CommandProgressBar> m_commandProgress;
    // The sessions' marks ask it: it goes after them.
    std::unique_ptr<HunspellChecker> m_ownWords;
    WordChecker *m_words = nullptr;
    FileSystem &m_fs; // every session's
    // The model refers to the session: it is declared after it, so it goes first.
    std::unique_ptr<LabelSession> m_session;
    LabelEditor m_editor;
    std::unique_ptr<LabelTableModel> m_model;
    std::map<std::string, QLineEdit *, std::less<>> m_fields; // by column header
    std::vector<QWidget *> m_furtherFields; // captions and fields of further languages
    QGroupBox *m_fieldsGroup = nullptr;
    QSize m_templateSize;
    int m_fieldsShift = 0; // pixels the further fields take
    QTimer m_marksTimer;
    QString m_progressText;      // the whole progress line, before it is cut to fit
    QStringList m_summaryCounts; // the summary's counts, before they are fitted
    QFileSystemWatcher m_watcher;
    QTimer m_diskTimer;              // gathers the events of one change
    QThread *m_columnRead = nullptr; // reading changed language files, while it runs
    QAction *m_newLabel = nullptr;
    QAction *m_removeLabel = nullptr;
    std::unique_ptr<UserPrompts> m_ownPrompts;
    UserPrompts *m_prompts;
    std::string m_lastScriptFolder;
    std::string m_pendingMessage; // shown once the window is
    bool m_centred = false;
};

} // namespace verbolt
