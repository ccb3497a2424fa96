// The window as designed: controls, geometry, fonts that fit, focus order,
// and which program changes raise events.
#include "app/Form1.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "support/GuiTestKit.h"
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void designTimeState();
    void geometryInPixels_data();
    void geometryInPixels();
    void captionsFitTheirControls();
    void tabOrderSkipsDisabledControls();
    void enterAndEscapePressNoButton();
    void keyBoxesRefuseAnEleventhCharacter();
    void rowsStayInCaseInsensitiveOrder();
    void programChangesRaiseEventsOnlyOnRealChange();
    void greyedTickBoxTicksOnClick();
};

void TestWindow::designTimeState()
{
    ScratchProject project;
    Form1 form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Wrenfold - By Korvane Software"));
    QCOMPARE(form.size(), QSize(635, 400));
    QCOMPARE(form.Label1->text(), QStringLiteral("Pack Size: 0 Kb"));
    QCOMPARE(form.Command1->text(), QStringLiteral("Create Pak Archive"));
    QCOMPARE(form.Text2->text(), QStringLiteral("5D5D5D5D"));
    QCOMPARE(form.Text3->text(), QStringLiteral("5B19C7E4"));
    QCOMPARE(form.Text1->text(), QStringLiteral("Mygame.exe"));
    QCOMPARE(form.Text4->text(), QStringLiteral("PakInit(myfile$, mykey, APND$, headermask)"));
    QCOMPARE(form.Label4->text(), QStringLiteral("Project"));
    QCOMPARE(form.Check1->Value(), 0);
    QCOMPARE(form.Check2->Value(), 0);
    // The encryption controls start out of step with the unticked box.
    QVERIFY(form.Text2->isEnabled());
    QVERIFY(form.Text3->isEnabled());
    QVERIFY(!form.Label3->isEnabled());
    QVERIFY(!form.Command4->isEnabled());
    QVERIFY(!form.Text1->isEnabled());
    QCOMPARE(form.List1->ListCount(), 0);
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 1000);
    QCOMPARE(form.Command1->palette().color(QPalette::Button), QColor(255, 255, 0));
    for (QPushButton *b : form.findChildren<QPushButton *>()) {
        QVERIFY(!b->isDefault());
        QVERIFY(!b->autoDefault());
    }
    QCOMPARE(form.Text2->maxLength(), 10);
    QCOMPARE(form.Text3->maxLength(), 10);
    QVERIFY(form.Label3->font().bold());
    QVERIFY(form.Text2->font().fixedPitch() || QFontInfo(form.Text2->font()).fixedPitch());
}

void TestWindow::geometryInPixels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    // Left, top, width, height in pixels (twips / 15), relative to the container.
    QTest::newRow("List1") << "List1" << QRect(220, 8, 410, 304);
    QTest::newRow("Label1") << "Label1" << QRect(224, 316, 327, 21);
    QTest::newRow("Command1") << "Command1" << QRect(10, 308, 203, 27);
    QTest::newRow("Command2") << "Command2" << QRect(468, 318, 80, 23);
    QTest::newRow("Command3") << "Command3" << QRect(548, 318, 80, 23);
    QTest::newRow("Frame1") << "Frame1" << QRect(10, 97, 205, 127);
    QTest::newRow("Check1") << "Check1" << QRect(8, 14, 171, 23);
    QTest::newRow("Text2") << "Text2" << QRect(104, 52, 77, 19);
    QTest::newRow("Text3") << "Text3" << QRect(104, 73, 77, 19);
    QTest::newRow("Command4") << "Command4" << QRect(24, 96, 156, 22);
    QTest::newRow("Frame3") << "Frame3" << QRect(10, 225, 205, 77);
    QTest::newRow("Text1") << "Text1" << QRect(77, 43, 121, 19);
    QTest::newRow("Frame2") << "Frame2" << QRect(4, 340, 625, 37);
    QTest::newRow("Text4") << "Text4" << QRect(8, 14, 609, 19);
    QTest::newRow("Label4") << "Label4" << QRect(1, 380, 631, 19);
    QTest::newRow("Image2") << "Image2" << QRect(4, 18, 213, 60);
}

void TestWindow::geometryInPixels()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    ScratchProject project;
    Form1 form;
    QWidget *w = form.findChild<QWidget *>(name);
    if (!w) {
        const QMap<QString, QWidget *> byName{
            {"List1", form.List1}, {"Label1", form.Label1}, {"Command1", form.Command1},
            {"Command2", form.Command2}, {"Command3", form.Command3}, {"Frame1", form.Frame1},
            {"Check1", form.Check1}, {"Text2", form.Text2}, {"Text3", form.Text3},
            {"Command4", form.Command4}, {"Frame3", form.Frame3}, {"Text1", form.Text1},
            {"Frame2", form.Frame2}, {"Text4", form.Text4}, {"Label4", form.Label4},
            {"Image2", form.Image2}};
        w = byName.value(name);
    }
    QVERIFY(w);
    QCOMPARE(w->geometry(), rect);
}

void TestWindow::captionsFitTheirControls()
{
    ScratchProject project;
    Form1 form;
    for (QLabel *l : {form.Label1, form.Label3, form.Label5, form.Label6, form.Label2}) {
        const int needed = QFontMetrics(l->font()).horizontalAdvance(l->text());
        QVERIFY2(needed <= l->width(), qPrintable(l->text()));
    }
    for (TickBox *c : {form.Check1, form.Check2})
        QVERIFY2(c->sizeHint().width() <= c->width(), qPrintable(c->text()));
    for (QPushButton *b : {form.Command1, form.Command2, form.Command3, form.Command4}) {
        const int needed = QFontMetrics(b->font()).horizontalAdvance(b->text()) + 8;
        QVERIFY2(needed <= b->width(), qPrintable(b->text()));
    }
    // Ten characters of a key must show whole in the key boxes.
    const int tenDigits = QFontMetrics(form.Text2->font()).horizontalAdvance(QStringLiteral("DDDDDDDDDD"));
    QVERIFY(tenDigits <= form.Text2->width() - 4);
    QVERIFY(QFontMetrics(form.Text2->font()).height() <= form.Text2->height());
    QCOMPARE(form.Image2->pixmap().size(), QSize(213, 60));
}

void TestWindow::tabOrderSkipsDisabledControls()
{
    ScratchProject project;
    Form1 form;
    form.Form_Load();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(form.List1));

    const QList<QWidget *> expected{form.Command1, form.Command2, form.Command3, form.Check1, form.Text2,
                                    form.Text3, form.Check2, form.Text4, form.List1};
    for (QWidget *w : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w);
    }
    // With the options on, the enabled controls join the cycle in their place.
    form.Check1->setValue(1);
    form.Check2->setValue(1);
    form.List1->setFocus();
    const QList<QWidget *> all{form.Command1, form.Command2, form.Command3, form.Check1, form.Text2,
                               form.Command4, form.Text3, form.Text1, form.Check2, form.Text4, form.List1};
    for (QWidget *w : all) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w);
    }
}

void TestWindow::enterAndEscapePressNoButton()
{
    ScratchProject project;
    Form1 form;
    form.Form_Load();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QList<QSignalSpy *> spies;
    for (QPushButton *b : form.findChildren<QPushButton *>())
        spies << new QSignalSpy(b, &QPushButton::clicked);
    for (QWidget *w : {static_cast<QWidget *>(form.Text2), static_cast<QWidget *>(form.Text4),
                       static_cast<QWidget *>(form.List1)}) {
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Return);
        QTest::keyClick(w, Qt::Key_Enter);
        QTest::keyClick(w, Qt::Key_Escape);
    }
    for (QSignalSpy *s : spies)
        QCOMPARE(s->count(), 0);
    qDeleteAll(spies);
    QVERIFY(!project.exists("Data.Pak"));
}

void TestWindow::keyBoxesRefuseAnEleventhCharacter()
{
    ScratchProject project;
    Form1 form;
    form.show();
    for (QLineEdit *box : {form.Text2, form.Text3}) {
        box->clear();
        QTest::keyClicks(box, QStringLiteral("0123456789A"));
        QCOMPARE(box->text(), QStringLiteral("0123456789"));
    }
}

void TestWindow::rowsStayInCaseInsensitiveOrder()
{
    ScratchProject project;
    Form1 form;
    form.List1->AddItem("b.txt");
    form.List1->AddItem("A.txt");
    form.List1->AddItem("c.txt");
    QCOMPARE(form.List1->List(0), QStringLiteral("A.txt"));
    QCOMPARE(form.List1->List(1), QStringLiteral("b.txt"));
    QCOMPARE(form.List1->List(2), QStringLiteral("c.txt"));
    form.List1->AddItems({"B.dat", "a\\z.txt"});
    const QStringList expected{"A.txt", "a\\z.txt", "B.dat", "b.txt", "c.txt"};
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(form.List1->List(i), expected[i]);
}

void TestWindow::programChangesRaiseEventsOnlyOnRealChange()
{
    ScratchProject project;
    project.write("a.txt", "12345");
    Form1 form;
    form.Form_Load();
    QSignalSpy check1(form.Check1, &QCheckBox::stateChanged);
    QSignalSpy text1(form.Text1, &QLineEdit::textChanged);
    QSignalSpy item(form.List1, &TickList::itemCheck);

    form.Check1->setValue(0);
    form.Text1->setText("Mygame.exe");
    form.List1->setSelected(0, false);
    QCOMPARE(check1.count() + text1.count() + item.count(), 0);

    form.Check1->setValue(1);
    form.Text1->setText("Other.exe");
    form.List1->setSelected(0, true);
    form.List1->setSelected(0, true);
    QCOMPARE(check1.count(), 1);
    QCOMPARE(text1.count(), 1);
    QCOMPARE(item.count(), 1);
    QCOMPARE(item.first().first().toInt(), 0);
    // The handlers ran: Check1 enabled the key controls, the tick was counted.
    QVERIFY(form.Command4->isEnabled());
    QCOMPARE(form.packSizeTotal(), 5);
}

void TestWindow::greyedTickBoxTicksOnClick()
{
    ScratchProject project;
    Form1 form;
    form.show();
    form.Check2->setValue(2);
    QCOMPARE(form.Check2->checkState(), Qt::PartiallyChecked);
    QTest::mouseClick(form.Check2, Qt::LeftButton);
    QCOMPARE(form.Check2->Value(), 1);
    QTest::mouseClick(form.Check2, Qt::LeftButton);
    QCOMPARE(form.Check2->Value(), 0);
    QTest::mouseClick(form.Check2, Qt::LeftButton);
    QCOMPARE(form.Check2->Value(), 1);
}

QTEST_MAIN(TestWindow)
#include "tst_gui_window.moc"
