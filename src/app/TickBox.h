#pragma once
#include <QCheckBox>

// A tick box whose value can be 0, 1 or 2 (greyed). Only the program sets
// the greyed state; a click ticks from unticked or greyed and unticks from
// ticked.
class TickBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TickBox(const QString &text, QWidget *parent = nullptr);
    int Value() const;
    void setValue(int value);

protected:
    void nextCheckState() override;
};
