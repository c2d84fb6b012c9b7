#pragma once
// The tab row of the Setpoint page: tabs " 1" to " 4", a tab whose stored
// setpoint is in use drawn bold in navy and a little to the right, an unused
// one italic in black. What "in use" means is asked of IsUsed, so the tabs
// show the stored setpoints, not what is being typed.

#include <QTabBar>
#include <functional>

class TSetpointTabBar : public QTabBar {
public:
    explicit TSetpointTabBar(QWidget *parent = nullptr);

    std::function<bool(int tab)> IsUsed;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void DrawTabText(QPainter &painter, int tab);
};
