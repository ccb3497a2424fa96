// The file list's context menu through the real window: what opens it, each
// item's ticks and the pack size they leave, and when it is not offered.
#include "app/ListMenu.h"
#include "support/GuiTestKit.h"
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMenu>

namespace {

// Stands in for the user at the menu and at the pattern dialog.
struct MenuUser {
    QString item, answer; // the item to choose (none: dismiss), the pattern to type
    bool cancel = false;
    int menus = 0;
    QStringList items, offered; // the last menu's items; each dialog's text as it opened
    QString dialogLooks;        // title, buttons and line boxes of the last dialog

    MenuUser()
    {
        wf::ListMenu::setHooks(
            [this](QMenu &menu) -> QAction * {
                ++menus;
                items.clear();
                QAction *pick = nullptr;
                for (QAction *a : menu.actions()) {
                    items << a->text();
                    pick = a->text() == item ? a : pick;
                }
                return pick;
            },
            [this](QInputDialog &dialog) {
                dialog.sizeHint(); // lays the dialog out, as showing it would
                auto *box = dialog.findChild<QDialogButtonBox *>();
                auto *edit = dialog.findChild<QLineEdit *>();
                dialogLooks = QStringLiteral("%1 %2 %3").arg(dialog.windowTitle()).arg(box->standardButtons())
                                  .arg(dialog.findChildren<QLineEdit *>().size());
                offered << dialog.textValue();
                edit->selectAll();
                QTest::keyClick(edit, Qt::Key_Delete);
                QTest::keyClicks(edit, answer);
                box->button(cancel ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok)->click();
                return dialog.result();
            });
    }
    ~MenuUser() { wf::ListMenu::setHooks({}, {}); }
};

// A nested tree in the real window, and the user at its menu. Sizes chosen
// so that every set of rows has its own total (in Kb: 0.5, 1, 0.25, 2, 4, 8,
// 16, 32; the refused names never count).
struct TreeWindow : LoadedWindow {
    TreeWindow()
        : LoadedWindow{{"readme.txt", QByteArray(512, 'x')}, {"gfx/title.bmp", QByteArray(1024, 'x')},
                       {"gfx/Data.Pak", QByteArray(100, 'x')}, {"gfx/Mygame.exe", QByteArray(200, 'x')},
                       {"gfx/icons/a.png", QByteArray(256, 'x')}, {"Gfx/upper.bin", QByteArray(2048, 'x')},
                       {"GFX2/b.png", QByteArray(4096, 'x')}, {"levels/boss.lvl", QByteArray(8192, 'x')},
                       {"levels/one/boss.lvl", QByteArray(16384, 'x')}, {"levels/two/Boss.LVL", QByteArray(32768, 'x')}}
    {
    }
    MenuUser user;
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

void rightClick(Form1 &f, const QString &row)
{
    f.List1->scrollTo(f.List1->rows().index(rowOf(f, row)));
    rightClickAt(f, f.List1->visualRect(f.List1->rows().index(rowOf(f, row))).center());
}

QString sizeLabel(const QString &kb) { return kb.isEmpty() ? "Pack Size: 0 Kb" : "Pack Size: " + kb + " Kb."; }

} // namespace

class TestMenu : public QObject {
    Q_OBJECT
private slots:
    void rightClickOffersTheItemsAndTicksNothing()
    {
        TreeWindow w;
        Form1 &f = w.f;
        clickTick(f, rowOf(f, "readme.txt"));
        const int row = rowOf(f, "gfx\\title.bmp");
        rightClickAt(f, f.List1->tickRect(row).center()); // right on the tick box: the tick stays
        QCOMPARE(w.user.items, (QStringList{"Tick Folder", "Untick Folder", "Tick Matching...", "Untick Matching...",
                                            "Open Containing Folder"}));
        QCOMPARE(f.List1->ListIndex(), row);
        QCOMPARE(tickedRows(f), QStringList{"readme.txt"});
        rightClickAt(f, QPoint(20, f.List1->viewport()->height() - 2)); // below the last row: no row, no menu
        QCOMPARE(w.user.menus, 1);
        QCOMPARE(f.List1->ListIndex(), row);
        QCOMPARE(f.Label1->text(), sizeLabel("0.50"));
    }

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
        QTest::newRow("subfolder") << "" << "gfx\\icons\\a.png" << "Tick Folder" << "" << kGfx.mid(0, 1) << "0.25";
        QTest::newRow("project directory") << "" << "readme.txt" << "Tick Folder" << "" << kAll << "63.75";
        QTest::newRow("untick, other case") << "ALL" << "Gfx\\upper.bin" << "Untick Folder" << ""
                                            << QStringList{"GFX2\\b.png"} + kLevels + QStringList{"readme.txt"} << "60.50";
        QTest::newRow("untick all") << "ALL" << "readme.txt" << "Untick Folder" << "" << QStringList{} << "0.00";
        // The clicked row does not narrow a pattern.
        QTest::newRow("*.PNG") << "" << "readme.txt" << "Tick Matching..." << "*.PNG"
                               << QStringList{"GFX2\\b.png", "gfx\\icons\\a.png"} << "4.25";
        QTest::newRow("folder part") << "" << "readme.txt" << "Tick Matching..." << "gfx\\*" << kGfx << "3.25";
        QTest::newRow("middle") << "" << "readme.txt" << "Tick Matching..." << "levels\\*\\boss.lvl"
                                << kLevels.mid(1) << "48.00";
        QTest::newRow("?") << "" << "readme.txt" << "Tick Matching..." << "?fx/icons/?.png" << kGfx.mid(0, 1) << "0.25";
        QTest::newRow("refused only") << "" << "readme.txt" << "Tick Matching..." << "*.pak" << QStringList{} << "";
        QTest::newRow("untick") << "ALL" << "readme.txt" << "Untick Matching..." << "*.LVL"
                                << QStringList{"GFX2\\b.png"} + kGfx + QStringList{"readme.txt"} << "7.75";
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
        Form1 &f = w.f;
        if (before == "ALL")
            QTest::mouseClick(f.Command2, Qt::LeftButton);
        else if (!before.isEmpty())
            clickTick(f, rowOf(f, before));
        w.user.item = item;
        w.user.answer = pattern;
        rightClick(f, row);
        QCOMPARE(tickedRows(f), after);
        QCOMPARE(f.Label1->text(), sizeLabel(kb));
        QCOMPARE(f.List1->ListIndex(), rowOf(f, row));
        QCOMPARE(w.user.offered, pattern.isEmpty() ? QStringList{} : QStringList{""});
        if (!pattern.isEmpty())
            QCOMPARE(w.user.dialogLooks, QStringLiteral("Wrenfold %1 1").arg(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
        QVERIFY(w.recorder.messages.isEmpty());
    }

    void patternDialogRemembersAndDeclines()
    {
        TreeWindow w;
        // Files gone since the walk are named in one message for the whole change.
        QVERIFY(QFile::remove("gfx/title.bmp") && QFile::remove("Gfx/upper.bin"));
        w.user.item = "Tick Matching...";
        for (const char *pattern : {"*.xyz", "gfx\\*"}) {
            w.user.answer = pattern;
            rightClick(w.f, "readme.txt");
        }
        QCOMPARE(w.recorder.messages.size(), 2);
        QCOMPARE(w.recorder.messages[0], QStringLiteral("No file matches *.xyz."));
        QVERIFY(w.recorder.messages[1].contains("gfx\\title.bmp\nGfx\\upper.bin"));
        w.user.item = "Untick Matching...";
        for (const char *answer : {"*", "", "*"}) { // cancelled, empty, cancelled
            w.user.answer = answer;
            w.user.cancel = *answer;
            rightClick(w.f, "readme.txt");
        }
        // Each dialog offers the last pattern used; Cancel and an empty pattern
        // change nothing, not even that.
        QCOMPARE(w.user.offered, (QStringList{"", "*.xyz", "gfx\\*", "gfx\\*", "gfx\\*"}));
        QCOMPARE(tickedRows(w.f), kGfx);
        QCOMPARE(w.f.Label1->text(), sizeLabel("0.25"));
        QCOMPARE(w.recorder.messages.size(), 2);
        // The folder's items, too, name the gone files in one message.
        w.user.item = "Untick Folder";
        rightClick(w.f, "gfx\\title.bmp");
        QCOMPARE(w.recorder.messages.size(), 3);
        QVERIFY(w.recorder.messages[2].contains("gfx\\title.bmp\nGfx\\upper.bin"));
    }

    void keysOpenOnTheCurrentRow_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("opens");
        QTest::newRow("Menu key") << int(Qt::Key_Menu) << Qt::KeyboardModifiers() << true;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
        QTest::newRow("F10") << int(Qt::Key_F10) << Qt::KeyboardModifiers() << false;
        QTest::newRow("Ctrl+Shift+F10") << int(Qt::Key_F10) << (Qt::ShiftModifier | Qt::ControlModifier) << false;
    }
    void keysOpenOnTheCurrentRow()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, opens);
        TreeWindow w;
        Form1 &f = w.f;
        w.user.item = "Tick Folder";
        f.List1->setFocus();
        f.List1->setListIndex(rowOf(f, "levels\\boss.lvl"));
        QTest::keyClick(f.List1, Qt::Key_Down);
        // X11 sends a keyboard context-menu event ahead of the Menu key's press;
        // the press alone opens the menu, once.
        QContextMenuEvent fromPlatform(QContextMenuEvent::Keyboard, QPoint(2, 2), f.List1->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(f.List1, &fromPlatform);
        QTest::keyClick(f.List1, Qt::Key(key), modifiers);
        QCOMPARE(w.user.menus, opens ? 1 : 0);
        QCOMPARE(tickedRows(f), opens ? kLevels.mid(1, 1) : QStringList{});
        QCOMPARE(f.List1->ListIndex(), rowOf(f, "levels\\one\\boss.lvl"));
    }

    void notOfferedDuringABuildOrOnAnEmptyList()
    {
        const auto tryAll = [](Form1 &f, const QPoint &at) {
            rightClickAt(f, at);
            QTest::keyClick(f.List1, Qt::Key_Menu);
            QTest::keyClick(f.List1, Qt::Key_F10, Qt::ShiftModifier);
        };
        TreeWindow w;
        Form1 &f = w.f;
        w.user.item = "Tick Folder";
        clickTick(f, rowOf(f, "readme.txt"));
        // The build lets the window handle events as it goes: the attempts
        // arrive while it runs.
        bool tried = false;
        f.turnIntervalMs = 0;
        f.onBuildTurn = [&] {
            if (!std::exchange(tried, true)) {
                QVERIFY(f.isBuilding() && !f.List1->isEnabled());
                tryAll(f, f.List1->visualRect(f.List1->rows().index(rowOf(f, "gfx\\title.bmp"))).center());
            }
        };
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        QVERIFY(tried);
        QCOMPARE(w.members(), w.files({"readme.txt"}));
        QCOMPARE(w.user.menus, 0);
        QCOMPARE(tickedRows(f), QStringList{"readme.txt"});
        rightClick(f, "gfx\\title.bmp"); // offered again once the build is over
        QCOMPARE(w.user.menus, 1);
        QCOMPARE(f.Label1->text(), sizeLabel("3.75"));

        LoadedWindow empty;
        Form1 &g = empty.load();
        QCOMPARE(g.List1->ListCount(), 0);
        g.List1->setFocus();
        tryAll(g, QPoint(20, 8));
        QCOMPARE(w.user.menus, 1);
    }

};

QTEST_MAIN(TestMenu)
#include "tst_gui_menu.moc"
