// The window as designed, and the option controls driven as a user would.
#include "support/GuiTestKit.h"
#include <QApplication>
#include <QGroupBox>
#include <QTimer>

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void designTimeState()
    {
        ScratchProject project;
        Form1 f;
        QCOMPARE(f.size(), QSize(635, 400));
        QVERIFY(f.Text2->isEnabled() && f.Text3->isEnabled());
        QVERIFY(!f.Label3->isEnabled() && !f.Command4->isEnabled() && !f.Text1->isEnabled());
        QVERIFY(f.Timer1->isActive());
        // Every caption fits its control in the fonts this machine has.
        for (QLabel *l : {f.Label1, f.Label2, f.Label3, f.Label5, f.Label6})
            QVERIFY2(QFontMetrics(l->font()).horizontalAdvance(l->text()) <= l->width(), qPrintable(l->text()));
        for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{f.Check1, f.Check2, f.Command1, f.Command4})
            QVERIFY2(b->sizeHint().width() <= b->width() + 8, qPrintable(b->text()));
        QVERIFY(QFontMetrics(f.Text2->font()).horizontalAdvance("DDDDDDDDDD") <= f.Text2->width() - 4);
        QTest::keyClicks(f.Text2, "123"); // the eleventh character is refused
        QCOMPARE(f.Text2->text(), QStringLiteral("5D5D5D5D12"));
        // Greyed comes only from the program; a click ticks it, the next unticks.
        f.Check2->setValue(2);
        for (int expected : {1, 0}) {
            QTest::mouseClick(f.Check2, Qt::LeftButton);
            QCOMPARE(f.Check2->Value(), expected);
        }
    }

    void tabOrderSkipsDisabledControls()
    {
        LoadedWindow w;
        Form1 &f = w.load();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        const QList<QWidget *> order{f.Command1, f.Command2, f.Command3, f.Check1, f.Text2, f.Command4,
                                     f.Text3, f.Text1, f.Check2, f.Text4, f.List1};
        for (bool optionsOn : {false, true}) {
            f.Check1->setValue(optionsOn);
            f.Check2->setValue(optionsOn);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(f.List1));
            for (QWidget *w : order) {
                if (w->isEnabled()) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    QCOMPARE(QApplication::focusWidget(), w);
                }
            }
        }
    }

    void initLineFollowsTheOptions()
    {
        LoadedWindow w;
        Form1 &f = w.load();
        QCOMPARE(f.Text4->text(), QStringLiteral("PakInit \"Data.Pak\", 0, \"TMP\", 0"));
        QTest::mouseClick(f.Check2, Qt::LeftButton);
        f.Text1->selectAll();
        QTest::keyClicks(f.Text1, "G");
        QCOMPARE(f.Text4->text(), QStringLiteral("PakInit \"G\", 0, \"TMP\", 0")); // at once
        f.Check1->setValue(1);
        f.Text3->setText("m");
        f.Text2->clear();
        QTest::keyClicks(f.Text2, "1f");
        // The key box's line lags one key until the timer catches up.
        QCOMPARE(f.Text4->text(), QStringLiteral("PakInit \"G\", $1, \"TMP\", $m"));
        QTRY_COMPARE_WITH_TIMEOUT(f.Text4->text(), QStringLiteral("PakInit \"G\", $1f, \"TMP\", $m"), 1500);
        // While a build has the list disabled, the handlers still do their other work.
        f.List1->setEnabled(false);
        QTest::mouseClick(f.Check2, Qt::LeftButton);
        QVERIFY(!f.Text1->isEnabled() && f.Text4->text().startsWith("PakInit \"Data.Pak\", $1f"));
        f.Text4->setText("edited"); // replaced at the next tick
        QTRY_VERIFY_WITH_TIMEOUT(f.Text4->text().startsWith("PakInit"), 1500);
    }

    void encryptionSwitchAndNewKeys()
    {
        LoadedWindow w;
        Form1 &f = w.load();
        f.clock = [] { return 43200.5f; }; // a clock that never moves
        const QRegularExpression key("^([1-9A-F][0-9A-F]){4}$");
        for (int tick : {1, 0}) { // a Basic Key under eight characters is replaced either way
            f.Text2->setText("5D5D5D5");
            f.Text3->setText("1");
            f.Check1->setValue(tick);
            QVERIFY(key.match(f.Text2->text()).hasMatch() && key.match(f.Text3->text()).hasMatch());
            QCOMPARE(f.Command4->isEnabled(), tick == 1);
        }
        f.Text2->setText("5D5D5D5D"); // eight are kept
        f.Check1->setValue(1);
        QCOMPARE(f.Text2->text(), QStringLiteral("5D5D5D5D"));
        f.Check1->setValue(0);
        const QString first = f.Text2->text();
        f.Command4_Click(); // same time of day, yet a different key
        QVERIFY(f.Text2->text() != first);
        f.Text3->setText("1");
        f.Check1->setValue(1);
        QCOMPARE(f.Text3->text(), QStringLiteral("1")); // a short mask alone makes no new key
        for (const char *mask : {"8000", "FFFF", "80000000", "zz"}) {
            f.Text3->setText(mask);
            QTest::mouseClick(f.Label6, Qt::LeftButton);
        }
        QCOMPARE(w.recorder.messages, (QStringList{"-32768", "-1", "-2147483648", "0"}));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_gui_window.moc"
