#include "exchangecommands.h"

#include "exchangeexport.h"
#include "exchangefolder.h"
#include "exchangeimport.h"
#include "filepath.h"
#include "importpreviewdlg.h"
#include "importreader.h"
#include "userprompts.h"

#include <QApplication>
#include <QFile>
#include <QProgressDialog>

#include <sstream>

namespace verbolt {

namespace {

std::string localPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// Shown only when the work takes long: a big folder read, a big file planned or written.
class Progress
{
public:
    Progress(QWidget *owner, const QString &label, int steps)
        : m_dialog(label, QString(), 0, steps, owner)
    {
        m_dialog.setWindowTitle(QStringLiteral("Verbolt"));
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(400);
        m_dialog.setCancelButton(nullptr);
        m_dialog.setValue(0);
    }
    void step(const QString &label)
    {
        m_dialog.setLabelText(label);
        m_dialog.setValue(m_dialog.value() + 1);
    }
    void done() { m_dialog.reset(); }

private:
    QProgressDialog m_dialog;
};

} // namespace

std::string ExchangeCommands::exportFile(const LabelSession &session)
{
    const QString chosen = m_prompts.chooseExportFile(
        m_owner, QString::fromStdString(session.codec().toUtf8(session.dir())));
    if (chosen.isEmpty())
        return {};
    const std::string path = localPath(chosen);
    const ExchangeExport::Format format = ExchangeExport::formatOf(path);
    if (format == ExchangeExport::Format::None) {
        m_prompts.message(m_owner, QStringLiteral("Export for translation writes .xlf, .xliff, "
                                                  ".xlsx or .csv files."));
        return {};
    }
    Progress progress(m_owner, QStringLiteral("Reading the labels..."), 2);
    const ExchangeFolder folder(session.dir());
    if (!folder.loaded()) {
        progress.done();
        m_prompts.message(m_owner, QStringLiteral("The label folder cannot be read."));
        return {};
    }
    int language = -1;
    if (format == ExchangeExport::Format::Xliff) {
        // An XLIFF file carries one language.
        QStringList languages;
        for (int k = 0; k < folder.languageCount(); ++k)
            languages << QString::fromStdString(folder.codec().toUtf8(folder.languageHeader(k)));
        progress.done();
        language =
            languages.isEmpty()
                ? -1
                : m_prompts.chooseItem(m_owner, QStringLiteral("Language to export:"), languages);
        if (language < 0)
            return {};
    }
    progress.step(QStringLiteral("Writing ") + chosen + QStringLiteral("..."));
    std::ostringstream err;
    const int status = ExchangeExport::toFile(folder, path, language, err);
    progress.done();
    if (!err.str().empty())
        m_prompts.message(m_owner, QString::fromStdString(err.str()).trimmed());
    if (status == 2)
        return {};
    return "Exported for translation: " + FilePath::nameOf(chosen.toStdString()) + ".";
}

CommandOutcome ExchangeCommands::importFile(LabelSession &session, std::string &status)
{
    const QString chosen = m_prompts.chooseImportFile(
        m_owner, QString::fromStdString(session.codec().toUtf8(session.dir())));
    if (chosen.isEmpty())
        return {};
    Progress progress(m_owner, QStringLiteral("Reading ") + chosen + QStringLiteral("..."), 4);
    const ImportedFile file = ImportReader::read(localPath(chosen));
    if (!file.ok()) {
        progress.done();
        m_prompts.message(m_owner, QStringLiteral("%1 cannot be imported: %2")
                                       .arg(chosen, QString::fromStdString(file.error)));
        return {};
    }
    progress.step(QStringLiteral("Reading the labels..."));
    const ExchangeFolder folder(session.dir(), ExchangeImport::languagesIn(file));
    if (!folder.loaded()) {
        progress.done();
        m_prompts.message(m_owner, QStringLiteral("The label folder cannot be read."));
        return {};
    }
    progress.step(QStringLiteral("Comparing the texts..."));
    const ImportPlan plan = ExchangeImport::plan(folder, file);
    progress.done();

    ImportPreviewDlg preview(plan, m_owner);
    if (!m_prompts.preview(preview) || plan.changeCount() == 0)
        return {};

    // Each file's changes in one batch; the column as the table has it.
    std::vector<ColumnBatch> batches;
    for (const LanguagePlan &lp : plan.languages) {
        const int column = session.columnOf(folder.languageHeader(lp.column));
        if (column < 2 || lp.changes.empty())
            continue;
        ColumnBatch batch{column, {}};
        batch.writes.reserve(lp.changes.size());
        for (const ImportChange &c : lp.changes)
            batch.writes.push_back(c.write);
        batches.push_back(std::move(batch));
    }
    Progress writing(m_owner, QStringLiteral("Writing the translations..."), 1);
    CommandOutcome outcome = session.writeBatches("Import translations", batches);
    writing.done();
    status = "Imported " + std::to_string(plan.changeCount()) + " texts from " +
             FilePath::nameOf(chosen.toStdString()) + "; Undo takes them back.";
    return outcome;
}

} // namespace verbolt
