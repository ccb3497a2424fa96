// The file list's context menu through the real window: what opens it, each
// item's ticks and the pack size they leave, and that a build keeps it shut.
#include "app/ListMenu.h"
#include "support/GuiTestKit.h"
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMenu>

namespace {

// A nested tree in the real window, the user at its menu and pattern dialog.
// Every set of rows has its own total (Kb: 0.5, 1, 0.25, 2, 4, 8, 16, 32).
struct TreeWindow : LoadedWindow {
    TreeWindow()
        : LoadedWindow{{"readme.txt", QByteArray(512, 'x')}, {"gfx/title.bmp", QByteArray(1024, 'x')},
                       {"gfx/Data.Pak", QByteArray(100, 'x')}, {"gfx/Mygame.exe", QByteArray(200, 'x')},
                       {"gfx/icons/a.png", QByteArray(256, 'x')}, {"Gfx/upper.bin", QByteArray(2048, 'x')},
                       {"GFX2/b.png", QByteArray(4096, 'x')}, {"levels/boss.lvl", QByteArray(8192, 'x')},
                       {"levels/one/boss.lvl", QByteArray(16384, 'x')}, {"levels/two/Boss.LVL", QByteArray(32768, 'x')}}
    {
        wf::ListMenu::setHooks(
            [this](QMenu &menu) -> QAction * {
                ++menus;
                items.clear();
                QAction *pick = nullptr;
                for (QAction *a : menu.actions())
                    pick = (items << a->text()).last() == item ? a : pick;
                return pick;
            },
            [this](QInputDialog &dialog) {
                dialog.sizeHint(); // lays the dialog out, as showing it would
                auto *edit = dialog.findChild<QLineEdit *>();
                offered << dialog.textValue();
                edit->selectAll();
                QTest::keyClick(edit, Qt::Key_Delete);
                QTest::keyClicks(edit, answer);
                dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
                return dialog.result();
            });
    }
    ~TreeWindow() { wf::ListMenu::setHooks({}, {}); }
    QString item, answer; // the item to choose (none: dismiss), the pattern to type
    int menus = 0;
    QStringList items, offered; // the last menu's items; each dialog's text as it opened
    Form1 &f = load();
};

const QStringList kGfx{"gfx\\icons\\a.png", "gfx\\title.bmp", "Gfx\\upper.bin"};
const QStringList kLevels{"levels\\boss.lvl", "levels\\one\\boss.lvl", "levels\\two\\Boss.LVL"};
const QStringList kAll = QStringList{"GFX2\\b.png"} + kGfx + kLevels + QStringList{"readme.txt"};

// Through the window, as the platform delivers it: only that way does a
// right button press also make the context-menu event.
void rightClickAt(Form1 &f, const QPoint &inViewport)
{
    QTest::mouseClick(f.windowHandle(), Qt::RightButton, {}, f.List1->viewport()->mapTo(&f, inViewport));
}

// Right on the row's tick box: the menu opens, and the click ticks nothing.
void rightClick(Form1 &f, const QString &row)
{
    f.List1->scrollTo(f.List1->rows().index(rowOf(f, row)));
    rightClickAt(f, f.List1->tickRect(rowOf(f, row)).center());
}

QString sizeLabel(const QString &kb) { return kb.isEmpty() ? "Pack Size: 0 Kb" : "Pack Size: " + kb + " Kb."; }

} // namespace

class TestMenu : public QObject {
    Q_OBJECT
private slots:
    void items_data()
    {
        QTest::addColumn<QString>("before"); // a row ticked first, or "ALL"
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("kb");
        // A folder's own refused names stay unticked; "GFX2" is another folder,
        // "Gfx" the same one to the list. A row ticked before counts once.
        QTest::newRow("folder") << "gfx\\title.bmp" << "gfx\\title.bmp" << "Tick Folder" << "" << kGfx << "3.25";
        QTest::newRow("project directory") << "" << "readme.txt" << "Tick Folder" << "" << kAll << "63.75";
        QTest::newRow("untick, other case") << "ALL" << "Gfx\\upper.bin" << "Untick Folder" << ""
                                            << QStringList{"GFX2\\b.png"} + kLevels + QStringList{"readme.txt"} << "60.50";
        // The clicked row does not narrow a pattern.
        QTest::newRow("*.PNG") << "" << "readme.txt" << "Tick Matching..." << "*.PNG"
                               << QStringList{"GFX2\\b.png", "gfx\\icons\\a.png"} << "4.25";
        QTest::newRow("refused only") << "" << "readme.txt" << "Tick Matching..." << "*.pak" << QStringList{} << "";
        QTest::newRow("untick") << "ALL" << "readme.txt" << "Untick Matching..." << "levels/*\\boss.lvl"
                                << QStringList{"GFX2\\b.png"} + kGfx + kLevels.mid(0, 1) + QStringList{"readme.txt"} << "15.75";
    }
    void items()
    {
        QFETCH(QString, before);
        QFETCH(QString, row);
        QFETCH(QString, item);
        QFETCH(QString, pattern);
        QFETCH(QStringList, after);
        QFETCH(QString, kb);
        TreeWindow w;
        if (before == "ALL")
            QTest::mouseClick(w.f.Command2, Qt::LeftButton);
        else if (!before.isEmpty())
            clickTick(w.f, rowOf(w.f, before));
        w.item = item;
        w.answer = pattern;
        rightClick(w.f, row);
        QCOMPARE(tickedRows(w.f), after);
        QCOMPARE(w.f.Label1->text(), sizeLabel(kb));
        QCOMPARE(w.f.List1->ListIndex(), rowOf(w.f, row));
        QCOMPARE(w.offered, pattern.isEmpty() ? QStringList{} : QStringList{""});
        QVERIFY(w.recorder.messages.isEmpty());
    }

    void notOfferedDuringABuild()
    {
        TreeWindow w;
        w.item = "Tick Folder";
        clickTick(w.f, rowOf(w.f, "readme.txt"));
        // The build lets the window handle events as it goes: the attempts arrive while it runs.
        bool tried = false;
        w.f.turnIntervalMs = 0;
        w.f.onBuildTurn = [&] {
            if (std::exchange(tried, true))
                return;
            rightClick(w.f, "gfx\\title.bmp");
            QTest::keyClick(w.f.List1, Qt::Key_Menu);
            QTest::keyClick(w.f.List1, Qt::Key_F10, Qt::ShiftModifier);
        };
        QTest::mouseClick(w.f.Command1, Qt::LeftButton);
        QVERIFY(tried);
        QCOMPARE(w.members(), w.files({"readme.txt"}));
        QCOMPARE(w.menus, 0);
        // Offered again once the build is over, by the keys on the current row.
        // X11 sends a keyboard context-menu event ahead of the Menu key's
        // press; the press alone opens the menu, once.
        w.f.List1->setFocus();
        w.f.List1->setListIndex(rowOf(w.f, "gfx\\title.bmp"));
        QContextMenuEvent fromPlatform(QContextMenuEvent::Keyboard, QPoint(2, 2), w.f.List1->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(w.f.List1, &fromPlatform);
        QTest::keyClick(w.f.List1, Qt::Key_Menu);
        QCOMPARE(w.menus, 1);
        QCOMPARE(w.f.Label1->text(), sizeLabel("3.75"));
        w.item = "Untick Folder";
        QTest::keyClick(w.f.List1, Qt::Key_F10, Qt::ShiftModifier | Qt::ControlModifier); // not the menu's keys
        QTest::keyClick(w.f.List1, Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(w.menus, 2);
        QCOMPARE(tickedRows(w.f), QStringList{"readme.txt"});
    }
};

QTEST_MAIN(TestMenu)
#include "tst_gui_menu.moc"
