#pragma once
// A status bar panel that holds a text and leaves its painting to its owner,
// which decides colours by state the panel does not know.

#include <QWidget>
#include <functional>

class TOwnerDrawnPanel : public QWidget {
    Q_OBJECT
public:
    explicit TOwnerDrawnPanel(QWidget *parent = nullptr);

    // Called for every paint with the panel's whole rectangle.
    std::function<void(QPainter &painter, const QRect &rect)> OnDrawPanel;

    QString Text() const { return PanelText; }
    void SetText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString PanelText;
};
