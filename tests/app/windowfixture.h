#pragma once

#include "ccolorlistctrl.h"
#include "clabelsdlg.h"
#include "controlids.h"
#include "fakeprompts.h"
#include "faultyfilesystem.h"
#include "labeleditor.h"
#include "tempdir.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace verbolt::test {

/// A main window on a temporary label folder, driven through its real widgets with Qt's
/// own key and mouse events; messages and the file chooser are answered by FakePrompts.
class WindowFixture
{
protected:
    std::unique_ptr<TempDir> m_dir = std::make_unique<TempDir>();
    FaultyFileSystem m_fs; // the window's folders are listed and written through it
    std::unique_ptr<FakePrompts> m_prompts;
    std::unique_ptr<CLabelsDlg> m_dlg;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    WordChecker *m_words = nullptr; // the dictionaries, when not the installed ones

    void open()
    {
        m_prompts = std::make_unique<FakePrompts>();
        m_dlg = std::make_unique<CLabelsDlg>(m_dir->path(), m_prompts.get(), nullptr, m_fs);
        if (m_words)
            m_dlg->setWordChecker(m_words);
        // The model's whole contract, checked from before the load on.
        m_tester = std::make_unique<QAbstractItemModelTester>(
            list()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_dlg->OnInitDialog();
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    }
    void closeWindow()
    {
        m_tester.reset();
        m_dlg.reset();
    }
    void close()
    {
        closeWindow();
        m_dir = std::make_unique<TempDir>();
    }

    template <class T> T *child(int id) { return qobject_cast<T *>(m_dlg->control(id)); }
    QLineEdit *edit(int id) { return child<QLineEdit>(id); }
    CColorListCtrl *list() { return m_dlg->list(); }
    QItemSelectionModel *selection() { return list()->selectionModel(); }
    int currentRow()
    {
        return selection()->currentIndex().isValid() ? selection()->currentIndex().row() : -1;
    }

    /// The selected rows, from the selection's ranges (QItemSelectionModel::selectedRows
    /// misses rows of a selection made with Ctrl+click in Qt 6.4).
    std::vector<int> selectedRows() { return m_dlg->selectedRows(); }

    void clickRow(int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QRect r = list()->visualRect(list()->model()->index(row, 1));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers, r.center());
    }
    void clickBelowTheLastRow()
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          QPoint(5, list()->viewport()->height() - 3));
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(list(), k, modifiers);
    }

    /// The one rule of the window: the fields show a line, enabled, and Apply is enabled,
    /// exactly while one row is selected and it is the current row; they show that row.
    void checkRule()
    {
        const std::vector<int> rows = selectedRows();
        const int current = currentRow();
        const bool one = rows.size() == 1 && rows.front() == current;
        QCOMPARE(child<QPushButton>(IDC_APPLY)->isEnabled(), one);
        QCOMPARE(m_dlg->editor()->shownLine(), one ? current : -1);
        for (const int id : {IDC_EDIT_FRENCH, IDC_EDIT_ENGLISH}) {
            QCOMPARE(edit(id)->isEnabled(), one);
            if (!one)
                QVERIFY(edit(id)->text().isEmpty());
        }
        if (one)
            QCOMPARE(edit(IDC_EDIT_FRENCH)->text(),
                     list()->model()->index(current, 1).data().toString());
        else
            QVERIFY(child<QLabel>(IDC_COMMENT)->text().isEmpty());
    }
};

} // namespace verbolt::test
