// DesignCanvas: one side of the open design at card size (scaled to fit, never above 1:1),
// with the object under the mouse outlined and the selected one framed with a resize handle.
// Arrow keys move the selected object one dot (Shift: one millimetre); dragging moves it, or
// resizes it by its handle, in whole dots. A drag becomes one undo step when the button is
// released. With a K plane set, the side shows that plane alone (black and white, as it prints)
// under the same outlines, so the K objects can still be picked and moved.
#pragma once

#include <carddesign/CardDesign.h>
#include <carddesign/CardTemplate.h>

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <optional>

class DesignDocument;

class DesignCanvas : public QWidget {
    Q_OBJECT

public:
    DesignCanvas(DesignDocument* document, int side, QWidget* parent = nullptr);

    int side() const { return side_; }
    int selected() const { return selected_; }
    // -1: none. Out-of-range indexes select nothing.
    void setSelected(int index);
    // The row whose data is shown (null: the templates themselves).
    void setRow(const CardTemplateContext& context, const QString& dataFolder);

    // The side's K plane to show in place of the card (null: the card as the editor draws it).
    void setKPlane(const QImage& plane);
    const QImage& kPlane() const { return kPlane_; }
    // The K plane as last painted, at screen size.
    const QImage& shownKPlane() const { return kShown; }

    // Moves the selected object by whole dots, as one undo step.
    void moveSelected(int dx, int dy);

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void selectionChanged(int side, int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const CardSide* cardSide() const;
    void paintCard(QPainter& painter, const CardSide& side) const;
    double scale() const;
    QPointF cardOrigin() const;
    QPointF toDots(const QPointF& widgetPoint) const;
    int objectAt(const QPointF& dots) const;
    QRectF handleRect(const QRectF& objectDots) const;

    DesignDocument* document;
    int side_;
    int selected_ = -1;
    int hovered_ = -1;
    CardTemplateContext context;
    QString dataFolder;
    QImage kPlane_;
    QImage kShown; // kPlane_ at the size last painted

    // A drag in progress: where it started, the box then, and the box now.
    enum class Drag { None, Move, Resize };
    Drag drag = Drag::None;
    QPointF dragStart;
    std::optional<CardBox> dragFrom;
    std::optional<CardBox> dragBox;
};
