#include "importpreviewdlg.h"

#include <QBrush>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace verbolt {

namespace {
QString qt(const std::string &utf8)
{
    return QString::fromStdString(utf8);
}
} // namespace

ImportPreviewDlg::ImportPreviewDlg(const ImportPlan &plan, QWidget *parent)
    : QDialog(parent), m_summary(new QLabel(this)), m_list(new QTreeWidget(this))
{
    setWindowTitle(QStringLiteral("Import translations"));
    QStringList lines;
    m_list->setColumnCount(4);
    m_list->setHeaderLabels({QStringLiteral("Language"), QStringLiteral("ID"),
                             QStringLiteral("Current text"), QStringLiteral("New text")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    const QBrush skipped = palette().brush(QPalette::Disabled, QPalette::Text);
    for (const LanguagePlan &lp : plan.languages) {
        const QString language = qt(lp.language);
        QString line =
            language +
            QStringLiteral(": %1 to change, %2 unchanged").arg(lp.changes.size()).arg(lp.unchanged);
        if (!lp.stale.empty())
            line += QStringLiteral(", %1 stale").arg(lp.stale.size());
        if (!lp.unknown.empty())
            line += QStringLiteral(", %1 unknown").arg(lp.unknown.size());
        if (!lp.refused.empty())
            line += QStringLiteral(", %1 refused").arg(lp.refused.size());
        lines << line;
        QList<QTreeWidgetItem *> items;
        for (const ImportChange &c : lp.changes)
            items << new QTreeWidgetItem({language, qt(c.id), qt(c.current), qt(c.text)});
        // Refused ones come as "ID: why".
        const auto named = [&](const std::vector<std::string> &ids, const QString &why) {
            for (const std::string &named : ids) {
                const std::size_t colon = named.find(": ");
                const QString reason =
                    colon == std::string::npos ? why : why + qt(named.substr(colon + 1));
                auto *item =
                    new QTreeWidgetItem({language, qt(named.substr(0, colon)), QString(), reason});
                for (int k = 0; k < 4; ++k)
                    item->setForeground(k, skipped);
                items << item;
            }
        };
        named(lp.stale, QStringLiteral("not written: the French text changed since the export"));
        named(lp.unknown, QStringLiteral("not written: french.lan has no such ID"));
        named(lp.refused, QStringLiteral("not written:"));
        m_list->addTopLevelItems(items);
    }
    for (const std::string &name : plan.notCreated)
        lines << qt(name) + QStringLiteral(": no label file in this folder, not created");
    if (plan.languages.empty() && plan.notCreated.empty())
        lines << QStringLiteral("The file holds no language of this folder.");
    m_summary->setText(lines.join(QLatin1Char('\n')));
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_list->header()->resizeSections(QHeaderView::ResizeToContents);

    auto *buttons = new QDialogButtonBox(this);
    const std::size_t n = plan.changeCount();
    m_write = buttons->addButton(QStringLiteral("Write %1 change%2").arg(n).arg(n == 1 ? "" : "s"),
                                 QDialogButtonBox::AcceptRole);
    m_write->setEnabled(n > 0);
    m_write->setDefault(n > 0);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(760, 480);
}

} // namespace verbolt
