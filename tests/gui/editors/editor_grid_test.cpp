#include "gui/editors/editor_grid.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "grid_typing.h"

namespace kestrova {

using testing::CellAt;
using testing::KeyOnCell;
using testing::TypeInCell;

class EditorGridTest : public QObject {
    Q_OBJECT

    static TableLayout Layout() {
        TableLayout layout;
        layout.labelHeading = "N°";
        layout.rowLabels = NumberedLabels(3);
        TableColumn pick = TextColumn("Transmition Type", "TT");
        pick.kind = CellKind::Pick;
        pick.entries = {"Data Change", "On Timer T1", "On Timer T10"};
        layout.columns = {TextColumn("Data Page", "DataPage"), FlagColumn("Transport Protocol", "TP"), pick,
                          TextColumn("Mnemonic", "Mnemonic")};
        return layout;
    }

private slots:
    void TypingReplacesACellsTextButNotARowLabelAndDeleteClears() {
        EditorGrid grid(Layout());
        QCOMPARE(grid.horizontalHeaderItem(0)->text(), QString("N°"));
        QCOMPARE(grid.item(2, 0)->text(), QString("3"));
        grid.setCurrentCell(0, 0);
        QTest::keyClicks(&grid, "9");
        QCOMPARE(grid.item(0, 0)->text(), QString("1"));
        grid.SetRows({{"1", "", "", "old mnemonic"}});
        TypeInCell(&grid, 0, 3, "EEC1");
        TypeInCell(&grid, 1, 0, "0");
        QCOMPARE(grid.Rows(), (std::vector<TableRow>{{"1", "", "", "EEC1"}, {"0", "", "", ""}, {"", "", "", ""}}));
        // Delete clears the selected cells (a check box to "N"); SetRows starts afresh.
        grid.SetRows({{"1", "Y", "Data Change", "a"}, {"0", "N", "", "b"}});
        grid.setRangeSelected(QTableWidgetSelectionRange(0, 1, 0, 4), true);
        QTest::keyClick(&grid, Qt::Key_Delete);
        QCOMPARE(grid.Rows()[0], (TableRow{"", "N", "", ""}));
        QCOMPARE(grid.Rows()[1], (TableRow{"0", "N", "", "b"}));
        grid.SetRows({});
        QCOMPARE(grid.Rows(), EmptyTable(Layout()));
    }

    void TabSkipsTheRowLabelsAndLeavesTheGridPastItsFirstAndLastCells() {
        QWidget form;
        auto* before = new QLineEdit(&form);
        auto* grid = new EditorGrid(Layout(), &form);
        auto* after = new QLineEdit(&form);
        QWidget::setTabOrder(before, grid);
        QWidget::setTabOrder(grid, after);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        grid->setFocus();
        const int last = EditorGrid::GridColumn(3);
        grid->setCurrentCell(0, last);
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(grid->currentRow(), 1);
        QCOMPARE(grid->currentColumn(), EditorGrid::GridColumn(0));  // not the label column
        QTest::keyClick(grid, Qt::Key_Backtab);
        QCOMPARE(grid->currentColumn(), last);
        grid->setCurrentCell(1, EditorGrid::GridColumn(0));
        QTest::keyClick(grid, Qt::Key_Left);
        QCOMPARE(grid->currentColumn(), EditorGrid::GridColumn(0));
        // Tab in an open editor on the last cell keeps the text and leaves the grid.
        grid->setCurrentCell(2, last);
        QTest::keyClicks(grid, "E");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), after);
        QCOMPARE(CellAt(grid, 2, 3), QString("E"));
        grid->setFocus();
        grid->setCurrentCell(0, EditorGrid::GridColumn(0));
        QTest::keyClick(grid, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), before);
    }

    void CheckBoxCellsAreEmptyUntilTouchedThenToggleWithSpaceKeysOrTheMouse() {
        EditorGrid grid(Layout());
        grid.resize(grid.FullWidth(), 200);
        QCOMPARE(CellAt(&grid, 0, 1), QString());
        for (const auto& [key, shown] :
             {std::pair{Qt::Key_Space, "Y"}, {Qt::Key_Space, "N"}, {Qt::Key_Y, "Y"}, {Qt::Key_N, "N"}}) {
            KeyOnCell(&grid, 0, 1, key);
            QCOMPARE(CellAt(&grid, 0, 1), QString(shown));
        }
        QVERIFY2(!grid.indexWidget(grid.currentIndex()), "no text editor on a check-box cell");
        grid.show();
        const QRect cell = grid.visualRect(grid.model()->index(2, EditorGrid::GridColumn(1)));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(CellAt(&grid, 2, 1), QString("Y"));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(CellAt(&grid, 2, 1), QString("N"));
    }

    void PickCellsOfferTheEntriesAndTakeTypedText() {
        EditorGrid grid(Layout());
        grid.setCurrentCell(0, EditorGrid::GridColumn(2));
        QTest::keyClick(&grid, Qt::Key_F2);
        auto* box = qobject_cast<QComboBox*>(grid.indexWidget(grid.currentIndex()));
        QVERIFY(box);
        QCOMPARE(box->count(), 3);
        box->setCurrentIndex(1);
        grid.CommitOpenEditor();
        QCOMPARE(CellAt(&grid, 0, 2), QString("On Timer T1"));
        // Typed text that names an entry becomes that entry; other text stays as typed.
        TypeInCell(&grid, 1, 2, "on timer t10");
        QCOMPARE(CellAt(&grid, 1, 2), QString("On Timer T10"));
        TypeInCell(&grid, 2, 2, "Free");
        QCOMPARE(CellAt(&grid, 2, 2), QString("Free"));
    }

    void EveryEditIsUndoneAndRedoneStepByStep() {
        EditorGrid grid(Layout());
        grid.SetRows({{"1", "Y", "Data Change", "a"}, {"0", "N", "", "b"}});
        std::vector<std::vector<TableRow>> states{grid.Rows()};
        const std::function<void()> edits[] = {
            [&] { TypeInCell(&grid, 0, 3, "EEC1"); },
            [&] { KeyOnCell(&grid, 1, 1, Qt::Key_Space); },
            [&] {  // a pick-list choice
                KeyOnCell(&grid, 2, 2, Qt::Key_F2);
                qobject_cast<QComboBox*>(grid.indexWidget(grid.currentIndex()))->setCurrentIndex(1);
                grid.CommitOpenEditor();
            },
            [&] {  // the whole grid emptied at one go
                QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(&grid, Qt::Key_Backspace);
            },
        };
        for (const auto& edit : edits) {
            edit();
            states.push_back(grid.Rows());
        }
        for (size_t step = states.size() - 1; step > 0; --step) {
            QTest::keyClick(&grid, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(grid.Rows(), states[step - 1]);
        }
        for (size_t step = 1; step < states.size(); ++step) {
            QTest::keyClick(&grid, step % 2 ? Qt::Key_Y : Qt::Key_Z,
                            step % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(grid.Rows(), states[step]);
        }
        QCOMPARE(states.back()[0], (TableRow{"", "N", "", ""}));
        grid.SetRows({{"7"}});  // a shown document starts a fresh history
        QTest::keyClick(&grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(grid.Rows()[0], (TableRow{"7", "", "", ""}));
    }

    void ColumnsAreWideEnoughForTheirHeadingsAndEntries() {
        EditorGrid grid(Layout());
        const QFontMetrics metrics(grid.horizontalHeader()->font());
        int sum = 0;
        for (int column = 0; column < grid.columnCount(); ++column) {
            const QString heading = grid.horizontalHeaderItem(column)->text();
            QVERIFY2(grid.columnWidth(column) > metrics.horizontalAdvance(heading), qPrintable(heading));
            sum += grid.columnWidth(column);
        }
        QVERIFY(grid.columnWidth(EditorGrid::GridColumn(2)) > metrics.horizontalAdvance("On Timer T10"));
        QVERIFY(grid.FullWidth() > sum);
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::EditorGridTest)
#include "editor_grid_test.moc"
