#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;

namespace verbolt {

/// "New label": an ID and its French text. OK (Enter) asks `problem` first; while it has
/// one to say, the dialog says it and stays open with the keyboard in the ID.
class NewLabelDlg : public QDialog
{
    Q_OBJECT

public:
    using Check = std::function<QString(const QString &id, const QString &french)>;
    NewLabelDlg(Check problem, QWidget *parent);

    /// The ID trimmed, and the French text as typed.
    QString id() const;
    QString french() const;

    void accept() override;

private:
    Check m_problem;
    QLineEdit *m_id;
    QLineEdit *m_french;
    QLabel *m_said;
};

} // namespace verbolt
