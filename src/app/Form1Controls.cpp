// The window's controls: kinds, captions, fonts, positions (designed in
// twips) and the focus order.
#include "app/Artwork.h"
#include "app/Fonts.h"
#include "app/Form1.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "options/DesignValues.h"
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QValidator>

namespace {

// Window coordinates are designed in twips; 15 twips are one logical pixel.
QRect twips(int left, int top, int width, int height)
{
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0), qRound(height / 15.0));
}

template <class W>
W *place(W *w, int left, int top, int width, int height)
{
    w->setGeometry(twips(left, top, width, height));
    return w;
}

QLabel *label(const QString &caption, QWidget *parent, bool boldVerdana)
{
    auto *l = new QLabel(caption, parent);
    if (boldVerdana)
        l->setFont(wf::uiFont(QStringLiteral("Verdana"), 8.25, true));
    return l;
}

QPushButton *button(const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

// The three option boxes are single lines, and the profile stores each on
// a line of its own: a pasted line break is dropped, not kept.
class NoLineBreaks : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override
    {
        for (qsizetype i = input.size(); i-- > 0;) {
            if (input[i] == QLatin1Char('\r') || input[i] == QLatin1Char('\n')) {
                input.remove(i, 1);
                if (i < pos)
                    --pos;
            }
        }
        return Acceptable;
    }
};

QLineEdit *optionBox(const QString &text, QWidget *parent)
{
    auto *e = new QLineEdit(text, parent);
    e->setValidator(new NoLineBreaks(e));
    return e;
}

QLineEdit *keyBox(const QString &text, QWidget *parent)
{
    QLineEdit *e = optionBox(text, parent);
    e->setMaxLength(wf::kKeyBoxMaxLength);
    e->setAlignment(Qt::AlignCenter);
    e->setFont(wf::keyBoxFont(9));
    return e;
}

} // namespace

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Wrenfold - By Korvane Software"));
    setWindowIcon(wf::windowIcon());
    setFont(wf::defaultWindowFont());
    setFixedSize(twips(0, 0, 9525, 6000).size());

    Image2 = place(new QLabel(this), 60, 270, 3195, 900);
    Image2->setPixmap(wf::bannerPixmap());

    List1 = place(new TickList(this), 3300, 120, 6150, 4560);

    Label1 = place(label(QStringLiteral("Pack Size: 0 Kb"), this, true), 3360, 4740, 4905, 315);
    Command2 = place(button(QStringLiteral("Select All"), this), 7020, 4770, 1200, 345);
    Command3 = place(button(QStringLiteral("Select None"), this), 8220, 4770, 1200, 345);

    Command1 = place(button(QStringLiteral("Create Pak Archive"), this), 150, 4620, 3045, 405);
    QPalette yellow = Command1->palette();
    yellow.setColor(QPalette::Button, QColor(255, 255, 0));
    yellow.setColor(QPalette::ButtonText, Qt::black);
    Command1->setPalette(yellow);

    Frame1 = place(new QGroupBox(QStringLiteral("Security Options"), this), 150, 1455, 3075, 1905);
    Check1 = place(new TickBox(QStringLiteral("Secure my Data with Encryption"), Frame1), 120, 210, 2565, 345);
    Label3 = place(label(QStringLiteral("32 Bit Encryption Key"), Frame1, true), 420, 540, 2295, 225);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setEnabled(false);
    Label5 = place(label(QStringLiteral("Basic Key:"), Frame1, true), 375, 840, 1065, 315);
    Label5->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text2 = place(keyBox(QString::fromLatin1(wf::kDesignBasicKey), Frame1), 1560, 780, 1155, 285);
    Label6 = place(label(QStringLiteral("Header Mask:"), Frame1, true), 120, 1125, 1320, 315);
    Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text3 = place(keyBox(QString::fromLatin1(wf::kDesignHeaderMask), Frame1), 1560, 1095, 1155, 285);
    Command4 = place(button(QStringLiteral("Create New Encryption Key"), Frame1), 360, 1440, 2340, 330);
    Command4->setFont(wf::uiFont(QStringLiteral("Arial"), 8.25, false));
    Command4->setEnabled(false);

    Frame3 = place(new QGroupBox(QStringLiteral("Executable Packing Options"), this), 150, 3375, 3075, 1155);
    Check2 = place(new TickBox(QStringLiteral("Append Data to the .EXE File"), Frame3), 120, 240, 2865, 345);
    Label2 = place(label(QStringLiteral("Filename:"), Frame3, true), 120, 705, 1065, 315);
    Text1 = place(optionBox(QString::fromLatin1(wf::kDesignExeName), Frame3), 1155, 645, 1815, 285);
    Text1->setEnabled(false);

    Frame2 = place(new QGroupBox(QStringLiteral("Initialisation Code"), this), 60, 5100, 9375, 555);
    Text4 = place(new QLineEdit(QStringLiteral("PakInit(myfile$, mykey, APND$, headermask)"), Frame2),
                  120, 210, 9135, 285);
    Text4->setAlignment(Qt::AlignCenter);

    Label4 = place(label(QStringLiteral("Project"), this, true), 15, 5700, 9465, 285);
    Label4->setFrameStyle(QFrame::Box | QFrame::Plain);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    for (QWidget *w : {static_cast<QWidget *>(List1), static_cast<QWidget *>(Command1), static_cast<QWidget *>(Command2),
                       static_cast<QWidget *>(Command3), static_cast<QWidget *>(Check1), static_cast<QWidget *>(Text2),
                       static_cast<QWidget *>(Command4), static_cast<QWidget *>(Text3), static_cast<QWidget *>(Text1),
                       static_cast<QWidget *>(Check2), static_cast<QWidget *>(Text4)})
        w->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(List1, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Check1);
    setTabOrder(Check1, Text2);
    setTabOrder(Text2, Command4);
    setTabOrder(Command4, Text3);
    setTabOrder(Text3, Text1);
    setTabOrder(Text1, Check2);
    setTabOrder(Check2, Text4);
}

