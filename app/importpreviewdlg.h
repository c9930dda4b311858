#pragma once

#include "exchangeimport.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace verbolt {

/// What an import would write, before it writes: per language how many texts change, and
/// each change (ID, current text, new text) with the texts it leaves and why.
class ImportPreviewDlg : public QDialog
{
    Q_OBJECT
public:
    ImportPreviewDlg(const ImportPlan &plan, QWidget *parent);

    const QLabel *summary() const { return m_summary; }
    const QTreeWidget *list() const { return m_list; }
    QPushButton *writeButton() const { return m_write; }

private:
    QLabel *m_summary;
    QTreeWidget *m_list;
    QPushButton *m_write;
};

} // namespace verbolt
