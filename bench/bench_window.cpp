// A whole Verbolt window process on a label set, for the figures only a process can give:
//
//   verbolt_bench_window DIR [block|scattered|showline|filter|reload]
//
// prints the time from process start to the main window shown with every label loaded,
// the process's peak memory there, the size of the set's label files and the longest time
// the loading window went without a repaint during the load. With "block" or
// "scattered" it then selects 10,000 rows as one block, or every 10th row, and times
// Duplicate to "All" through the window, selection included (this rewrites the set). With
// "showline" it makes 41 rows spread evenly over the set the one selected row in turn and
// prints the median time ShowLine takes to fill the fields. With "reload" another program
// replaces the last language file by a rename (its first text changed); it prints the time
// until the table shows the change (less the window's 250 ms wait for the change to settle),
// the time reading and parsing that file takes at start-up (its share of the load), and the
// longest the window's thread was busy between two events until the marks were whole again.

#include "clabelsdlg.h"
#include "controlids.h"
#include "filereader.h"
#include "filterbar.h"
#include "labelloader.h"
#include "userprompts.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Messages would block on a modal box: keep them to report them.
class QuietPrompts : public verbolt::UserPrompts
{
public:
    void message(QWidget *, const QString &text) override { messages.push_back(text); }
    QString chooseScript(QWidget *, const QString &) override { return {}; }
    QString chooseFolder(QWidget *, const QString &) override { return {}; }
    // Duplicate's question about translations it would replace: replace them, as the
    // figures are for copying every selected line.
    int ask(QWidget *, const QString &, const QStringList &choices, int) override
    {
        return static_cast<int>(choices.indexOf(QStringLiteral("Replace them too")));
    }
    QString chooseExportFile(QWidget *, const QString &) override { return {}; }
    QString chooseImportFile(QWidget *, const QString &) override { return {}; }
    int chooseItem(QWidget *, const QString &, const QStringList &) override { return -1; }
    bool preview(verbolt::ImportPreviewDlg &) override { return false; }
    bool newLabel(verbolt::NewLabelDlg &) override { return false; }
    QString askText(QWidget *, const QString &) override { return {}; }
    std::vector<QString> messages;
};

// Milliseconds since the kernel started this process (/proc/self/stat field 22, in clock
// ticks since boot, the clock CLOCK_BOOTTIME reads).
double msSinceProcessStart()
{
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name may hold blanks: the fields are counted from the ")" that ends it.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int k = 3; k <= 22; ++k)
        fields >> field;
    const double startSec = std::stod(field) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return (static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 - startSec) * 1000.0;
}

// Keeps the loading window wanting a repaint and notes each one it gets, up to its close:
// the longest stretch between two is the longest the window could not repaint, whatever
// the load was doing (a window uncovered then stays blank that long).
class RepaintWatch : public QObject
{
public:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (!object->inherits("verbolt::CLoadingDlg") || m_closed)
            return false;
        if (event->type() == QEvent::Paint) {
            note();
            auto *widget = static_cast<QWidget *>(object);
            QMetaObject::invokeMethod(
                widget, [widget] { widget->update(); }, Qt::QueuedConnection);
        } else if (event->type() == QEvent::Hide) {
            note();
            m_closed = true;
        }
        return false;
    }
    double longestGapMs() const { return m_longest / 1e6; }
    int repaints() const { return m_repaints; }

private:
    void note()
    {
        if (m_clock.isValid())
            m_longest = std::max(m_longest, m_clock.nsecsElapsed());
        m_clock.start();
        ++m_repaints;
    }
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
    int m_repaints = 0;
    bool m_closed = false;
};

long statusKb(const std::string &key)
{
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + ":", 0) == 0)
            return std::stol(line.substr(key.size() + 1));
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: verbolt_bench_window DIR [block|scattered|showline|filter|reload]\n";
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '/')
        dir += '/';
    const std::string mode = argc == 3 ? argv[2] : "";
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QuietPrompts prompts;
    RepaintWatch repaints;
    app.installEventFilter(&repaints);
    verbolt::CLabelsDlg dialog(dir, &prompts);
    dialog.OnInitDialog();
    dialog.show();
    while (!dialog.windowHandle() || !dialog.windowHandle()->isExposed())
        app.processEvents(QEventLoop::AllEvents, 5);
    app.processEvents(); // the first paint of the list
    const double shownMs = msSinceProcessStart();
    // The marks fill in after the window shows; the peak memory counts them.
    while (!dialog.marks().complete())
        app.processEvents();
    const double marksMs = msSinceProcessStart();

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::uintmax_t labelBytes = 0;
    for (const auto &e : std::filesystem::directory_iterator(dir))
        if (e.path().extension() == ".lan")
            labelBytes += e.file_size();
    std::cout << "rows=" << dialog.grid().rowCount() << " shown_ms=" << shownMs
              << " marks_ms=" << marksMs << " vmhwm_kb=" << statusKb("VmHWM")
              << " maxrss_kb=" << usage.ru_maxrss << " label_bytes=" << labelBytes
              << " max_gap_ms=" << repaints.longestGapMs() << " repaints=" << repaints.repaints()
              << "\n";

    if (mode == "showline") {
        QTableView *list = reinterpret_cast<QTableView *>(dialog.list());
        QItemSelectionModel *selection = list->selectionModel();
        const int rows = list->model()->rowCount();
        std::vector<double> times;
        for (int k = 0; k < 41 && rows > 0; ++k) {
            const int row = static_cast<int>(static_cast<long long>(rows - 1) * k / 40);
            // The row is made the one selected row with no current one, so the selection
            // change does not show it yet; then the timed ShowLine fills the fields.
            selection->clear();
            selection->select(list->model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
            QElapsedTimer timer;
            timer.start();
            dialog.setCurrentRow(row);
            times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            app.processEvents();
        }
        std::sort(times.begin(), times.end());
        std::cout << "showline_ms=" << (times.empty() ? 0.0 : times[times.size() / 2]) << "\n";
    }
    if (mode == "block" || mode == "scattered") {
        QTableView *list = reinterpret_cast<QTableView *>(dialog.list());
        QAbstractItemModel *model = list->model();
        const int rows = model->rowCount();
        const int last = model->columnCount() - 1;
        QItemSelection selection;
        if (mode == "block") {
            const int count = std::min(rows, 10000);
            const int first = (rows - count) / 2;
            selection.select(model->index(first, 0), model->index(first + count - 1, last));
        } else {
            for (int r = 0; r < rows; r += 10)
                selection.select(model->index(r, 0), model->index(r, last));
        }
        auto *target = qobject_cast<QComboBox *>(dialog.control(verbolt::IDC_DUP_TARGET));
        target->setCurrentIndex(target->findText(QStringLiteral("All")));
        QElapsedTimer timer;
        timer.start();
        list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
        const qint64 selectNs = timer.nsecsElapsed();
        dialog.OnDuplicate();
        app.processEvents(); // the repaint of the changed rows
        const qint64 totalNs = timer.nsecsElapsed();
        std::cout << "duplicate=" << mode << " selected=" << dialog.selectedCount()
                  << " select_ms=" << selectNs / 1e6
                  << " duplicate_ms=" << (totalNs - selectNs) / 1e6
                  << " messages=" << prompts.messages.size() << "\n";
    }
    if (mode == "filter") {
        // Keys typed into the filter field, timed from the key to the list showing the result
        // with the events between (the slices, the model reset, the repaint).
        QLineEdit *field = dialog.filterBar()->field();
        field->setFocus();
        const auto shownAfter = [&](auto type) {
            QElapsedTimer timer;
            timer.start();
            type();
            do
                app.processEvents();
            while (!dialog.filterBar()->filter()->complete());
            app.processEvents();
            return static_cast<double>(timer.nsecsElapsed()) / 1e6;
        };
        shownAfter([&] { field->setText(QStringLiteral("fich")); });
        const double narrowMs = shownAfter([&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_I, Qt::NoModifier, QStringLiteral("i"));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_I, Qt::NoModifier, QStringLiteral("i"));
            QApplication::sendEvent(field, &press);
            QApplication::sendEvent(field, &release);
        });
        const std::size_t narrowed = dialog.filterBar()->filter()->shownCount();
        shownAfter([&] { field->clear(); });
        // A fresh query: every line tested, and none matches.
        const double nothingMs = shownAfter([&] { field->setText(QStringLiteral("zqxjéw")); });
        std::cout << "filter_narrow_ms=" << narrowMs << " narrowed_rows=" << narrowed
                  << " filter_nothing_ms=" << nothingMs
                  << " nothing_rows=" << dialog.filterBar()->filter()->shownCount() << "\n";
    }
    if (mode == "reload") {
        const int column = dialog.grid().columnCount() - 1;
        const std::string path = dir + dialog.grid().fileName(column);
        // Its share of the start-up load: the same read and parse, timed alone.
        QElapsedTimer share;
        share.start();
        verbolt::SilentProgress quiet;
        const auto loaded = verbolt::LabelLoader::ReadLanguageColumn(
            verbolt::FileReader::readBuffer(path).bytes, dialog.grid().rowCount(), quiet);
        const double shareMs = static_cast<double>(share.nsecsElapsed()) / 1e6;
        std::string bytes = verbolt::FileReader::read(path).bytes;
        const std::size_t eq = bytes.find('=');
        bytes.insert(eq + 1, "Changed ");
        const std::string changed(dialog.grid().itemText(0, column));
        {
            std::ofstream out(path + ".new", std::ios::binary);
            out << bytes;
        }
        QElapsedTimer timer;
        timer.start();
        std::filesystem::rename(path + ".new", path);
        qint64 busiest = 0;
        double shownMs = -1;
        while (shownMs < 0 || !dialog.marks().complete()) {
            QElapsedTimer busy;
            busy.start();
            app.processEvents();
            busiest = std::max(busiest, busy.nsecsElapsed());
            if (shownMs < 0 && dialog.grid().itemText(0, column) == "Changed " + changed)
                shownMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
            if (timer.elapsed() > 60000)
                break;
        }
        std::cout << "reload_ms=" << shownMs - 250 << " share_ms=" << shareMs
                  << " busiest_ms=" << static_cast<double>(busiest) / 1e6
                  << " cells=" << loaded.cells.size() << "\n";
    }
    std::cout.flush();
    // The figures are out: leave without tearing down a window of many rows.
    ::_exit(prompts.messages.empty() ? 0 : 1);
}
