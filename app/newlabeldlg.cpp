#include "newlabeldlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace verbolt {

NewLabelDlg::NewLabelDlg(Check problem, QWidget *parent)
    : QDialog(parent), m_problem(std::move(problem)), m_id(new QLineEdit(this)),
      m_french(new QLineEdit(this)), m_said(new QLabel(this))
{
    setWindowTitle(QStringLiteral("New label"));
    m_id->setObjectName(QStringLiteral("IDC_NEW_ID"));
    m_french->setObjectName(QStringLiteral("IDC_NEW_FRENCH"));
    m_said->setObjectName(QStringLiteral("IDC_NEW_PROBLEM"));
    m_said->setWordWrap(true);
    m_id->setMinimumWidth(m_id->fontMetrics().averageCharWidth() * 40);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("ID:"), m_id);
    form->addRow(QStringLiteral("French:"), m_french);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewLabelDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewLabelDlg::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_said);
    layout->addWidget(buttons);
    setTabOrder(m_id, m_french);
    setTabOrder(m_french, buttons->button(QDialogButtonBox::Ok));
    setTabOrder(buttons->button(QDialogButtonBox::Ok), buttons->button(QDialogButtonBox::Cancel));
    m_id->setFocus();
}

QString NewLabelDlg::id() const
{
    return m_id->text().trimmed();
}

QString NewLabelDlg::french() const
{
    return m_french->text();
}

void NewLabelDlg::accept()
{
    if (const QString said = m_problem ? m_problem(id(), french()) : QString(); !said.isEmpty()) {
        m_said->setText(said);
        m_id->setFocus();
        m_id->selectAll();
        return;
    }
    QDialog::accept();
}

} // namespace verbolt
