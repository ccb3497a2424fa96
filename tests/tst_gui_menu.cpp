// The file list's context menu through the real window: what opens it, each
// item's ticks and the pack size they leave, and when it is not offered.
#include "app/Form1.h"
#include "app/ListMenu.h"
#include "app/TickList.h"
#include "support/GuiTestKit.h"
#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

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

// Sizes chosen so that every set of rows has its own total (in Kb: 0.5, 1,
// 0.25, 2, 4, 8, 16, 32; the refused names never count).
void writeTree(const ScratchProject &project)
{
    const struct { const char *path; int size; } tree[] = {
        {"readme.txt", 512},  {"gfx/title.bmp", 1024},  {"gfx/Data.Pak", 100},       {"gfx/Mygame.exe", 200},
        {"gfx/icons/a.png", 256}, {"Gfx/upper.bin", 2048}, {"GFX2/b.png", 4096},     {"levels/boss.lvl", 8192},
        {"levels/one/boss.lvl", 16384}, {"levels/two/Boss.LVL", 32768},
    };
    for (const auto &f : tree)
        project.write(f.path, QByteArray(f.size, 'x'));
}

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

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestMenu : public QObject {
    Q_OBJECT
private slots:
    void rightClickOffersTheItemsAndTicksNothing();
    void items_data();
    void items();
    void patternDialogRemembersAndDeclines();
    void keysOpenOnTheCurrentRow_data();
    void keysOpenOnTheCurrentRow();
    void notOfferedDuringABuildOrOnAnEmptyList();
    void openContainingFolder();
};

void TestMenu::rightClickOffersTheItemsAndTicksNothing()
{
    ScratchProject project;
    writeTree(project);
    MenuUser user;
    Form1 f;
    f.Form_Load();
    clickTick(f, rowOf(f, "readme.txt"));
    const int row = rowOf(f, "gfx\\title.bmp");
    rightClickAt(f, f.List1->tickRect(row).center()); // right on the tick box: the tick stays
    QCOMPARE(user.items, (QStringList{"Tick Folder", "Untick Folder", "Tick Matching...", "Untick Matching...",
                                      "Open Containing Folder"}));
    QCOMPARE(f.List1->ListIndex(), row);
    QCOMPARE(tickedRows(f), QStringList{"readme.txt"});
    rightClickAt(f, QPoint(20, f.List1->viewport()->height() - 2)); // below the last row: no row, no menu
    QCOMPARE(user.menus, 1);
    QCOMPARE(f.List1->ListIndex(), row);
    QCOMPARE(f.Label1->text(), sizeLabel("0.50"));
}

void TestMenu::items_data()
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
    QTest::newRow("?") << "" << "readme.txt" << "Tick Matching..." << "?fx/icons/?.png" << kGfx.mid(0, 1)
                       << "0.25";
    QTest::newRow("refused only") << "" << "readme.txt" << "Tick Matching..." << "*.pak" << QStringList{} << "";
    QTest::newRow("untick") << "ALL" << "readme.txt" << "Untick Matching..." << "*.LVL"
                            << QStringList{"GFX2\\b.png"} + kGfx + QStringList{"readme.txt"} << "7.75";
}

void TestMenu::items()
{
    QFETCH(QString, before);
    QFETCH(QString, row);
    QFETCH(QString, item);
    QFETCH(QString, pattern);
    QFETCH(QStringList, after);
    QFETCH(QString, kb);
    ScratchProject project;
    writeTree(project);
    MessageRecorder recorder;
    MenuUser user;
    Form1 f;
    f.Form_Load();
    if (before == "ALL")
        QTest::mouseClick(f.Command2, Qt::LeftButton);
    else if (!before.isEmpty())
        clickTick(f, rowOf(f, before));
    user.item = item;
    user.answer = pattern;
    rightClick(f, row);
    QCOMPARE(tickedRows(f), after);
    QCOMPARE(f.Label1->text(), sizeLabel(kb));
    QCOMPARE(f.List1->ListIndex(), rowOf(f, row));
    QCOMPARE(user.offered, pattern.isEmpty() ? QStringList{} : QStringList{""});
    if (!pattern.isEmpty())
        QCOMPARE(user.dialogLooks,
                 QStringLiteral("Wrenfold %1 1").arg(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
    QVERIFY(recorder.messages.isEmpty());
}

void TestMenu::patternDialogRemembersAndDeclines()
{
    ScratchProject project;
    writeTree(project);
    MessageRecorder recorder;
    MenuUser user;
    Form1 f;
    f.Form_Load();
    // Files gone since the walk are named in one message for the whole change.
    QVERIFY(QFile::remove("gfx/title.bmp") && QFile::remove("Gfx/upper.bin"));
    user.item = "Tick Matching...";
    for (const char *pattern : {"*.xyz", "gfx\\*"}) {
        user.answer = pattern;
        rightClick(f, "readme.txt");
    }
    QCOMPARE(recorder.messages.size(), 2);
    QCOMPARE(recorder.messages[0], QStringLiteral("No file matches *.xyz."));
    QVERIFY(recorder.messages[1].contains("gfx\\title.bmp\nGfx\\upper.bin"));
    user.item = "Untick Matching...";
    user.cancel = true;
    rightClick(f, "readme.txt");
    user.cancel = false;
    user.answer = "";
    rightClick(f, "readme.txt");
    // Each dialog offers the last pattern used; Cancel and an empty pattern
    // change nothing, not even that.
    QCOMPARE(user.offered, (QStringList{"", "*.xyz", "gfx\\*", "gfx\\*"}));
    QCOMPARE(tickedRows(f), kGfx);
    QCOMPARE(f.Label1->text(), sizeLabel("0.25"));
    QCOMPARE(recorder.messages.size(), 2);
}

void TestMenu::keysOpenOnTheCurrentRow_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Menu key") << int(Qt::Key_Menu) << Qt::KeyboardModifiers() << true;
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
    QTest::newRow("F10") << int(Qt::Key_F10) << Qt::KeyboardModifiers() << false;
    QTest::newRow("Ctrl+Shift+F10") << int(Qt::Key_F10) << (Qt::ShiftModifier | Qt::ControlModifier) << false;
}

void TestMenu::keysOpenOnTheCurrentRow()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, opens);
    ScratchProject project;
    writeTree(project);
    MenuUser user;
    user.item = "Tick Folder";
    Form1 f;
    f.Form_Load();
    f.List1->setFocus();
    f.List1->setListIndex(rowOf(f, "levels\\boss.lvl"));
    QTest::keyClick(f.List1, Qt::Key_Down);
    // X11 sends a keyboard context-menu event ahead of the Menu key's press;
    // the press alone opens the menu, once.
    QContextMenuEvent fromPlatform(QContextMenuEvent::Keyboard, QPoint(2, 2), f.List1->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(f.List1, &fromPlatform);
    QTest::keyClick(f.List1, Qt::Key(key), modifiers);
    QCOMPARE(user.menus, opens ? 1 : 0);
    QCOMPARE(tickedRows(f), opens ? kLevels.mid(1, 1) : QStringList{});
    QCOMPARE(f.List1->ListIndex(), rowOf(f, "levels\\one\\boss.lvl"));
}

void TestMenu::notOfferedDuringABuildOrOnAnEmptyList()
{
    const auto tryAll = [](Form1 &f, const QString &row) {
        rightClick(f, row);
        QTest::keyClick(f.List1, Qt::Key_Menu);
        QTest::keyClick(f.List1, Qt::Key_F10, Qt::ShiftModifier);
    };
    ScratchProject project;
    writeTree(project);
    MenuUser user;
    user.item = "Tick Folder";
    Form1 f;
    f.Form_Load();
    clickTick(f, rowOf(f, "readme.txt"));
    // The build lets the window handle events as it goes: the attempts
    // arrive while it runs.
    bool tried = false;
    f.turnIntervalMs = 0;
    f.onBuildTurn = [&] {
        if (!std::exchange(tried, true)) {
            QVERIFY(f.isBuilding() && !f.List1->isEnabled());
            tryAll(f, "gfx\\title.bmp");
        }
    };
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    QVERIFY(tried);
    QCOMPARE(readback::members(project.read("Data.Pak")), readback::files(".", {"readme.txt"}));
    QCOMPARE(user.menus, 0);
    QCOMPARE(tickedRows(f), QStringList{"readme.txt"});
    rightClick(f, "gfx\\title.bmp"); // offered again once the build is over
    QCOMPARE(user.menus, 1);
    QCOMPARE(f.Label1->text(), sizeLabel("3.75"));

    ScratchProject empty;
    Form1 g;
    g.Form_Load();
    QCOMPARE(g.List1->ListCount(), 0);
    g.List1->setFocus();
    rightClickAt(g, QPoint(20, 8));
    QTest::keyClick(g.List1, Qt::Key_Menu);
    QTest::keyClick(g.List1, Qt::Key_F10, Qt::ShiftModifier);
    QCOMPARE(user.menus, 1);
}

void TestMenu::openContainingFolder()
{
    ScratchProject project;
    writeTree(project);
    MenuUser user;
    user.item = "Open Containing Folder";
    UrlRecorder opened;
    QDesktopServices::setUrlHandler("file", &opened, "open");
    auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler("file"); });
    Form1 f;
    f.Form_Load();
    rightClick(f, "gfx\\icons\\a.png");
    rightClick(f, "readme.txt");
    const QDir dir = QDir::current(); // the project directory
    QCOMPARE(opened.urls, (QList<QUrl>{QUrl::fromLocalFile(dir.absoluteFilePath("gfx/icons")),
                                       QUrl::fromLocalFile(dir.absolutePath())}));
    QVERIFY(tickedRows(f).isEmpty());
}

QTEST_MAIN(TestMenu)
#include "tst_gui_menu.moc"
