#include "DesignCanvas.h"

#include "DesignDocument.h"
#include "DesignKPlane.h"
#include "DesignPainter.h"

#include <carddesign/CardUnits.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int margin = 6; // pixels around the card for the selection frame

// `mm` moved by `dots` whole dots, landing on a whole dot.
double snapMove(double mm, int dots) {
    return dotsToMm(mmToDots(mm) + dots);
}

} // namespace

DesignCanvas::DesignCanvas(DesignDocument* document, int side, QWidget* parent)
    : QWidget(parent), document(document), side_(side) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName(side == 0 ? tr("Front of the card") : tr("Back of the card"));
    connect(document, &DesignDocument::designChanged, this, [this] {
        if (!cardSide() || selected_ >= int(cardSide()->objects.size()))
            setSelected(-1);
        hovered_ = -1;
        update();
    });
}

const CardSide* DesignCanvas::cardSide() const {
    const auto& side = side_ == 0 ? document->design().front : document->design().back;
    return side ? &*side : nullptr;
}

void DesignCanvas::setSelected(int index) {
    const CardSide* side = cardSide();
    if (!side || index < 0 || index >= int(side->objects.size()))
        index = -1;
    if (index == selected_)
        return;
    selected_ = index;
    update();
    emit selectionChanged(side_, selected_);
}

void DesignCanvas::setRow(const CardTemplateContext& rowContext, const QString& folder) {
    context = rowContext;
    dataFolder = folder;
    update();
}

void DesignCanvas::setKPlane(const QImage& plane) {
    kPlane_ = plane;
    kShown = QImage();
    update();
}

QSize DesignCanvas::sizeHint() const {
    const CardDesign& design = document->design();
    return QSize(design.width / 2 + 2 * margin, design.height / 2 + 2 * margin);
}

int DesignCanvas::heightForWidth(int width) const {
    const CardDesign& design = document->design();
    const double s = std::min(1.0, double(width - 2 * margin) / design.width);
    return int(design.height * s) + 2 * margin;
}

double DesignCanvas::scale() const {
    const CardDesign& design = document->design();
    const double s = std::min(double(width() - 2 * margin) / design.width,
                              double(height() - 2 * margin) / design.height);
    return std::clamp(s, 0.05, 1.0);
}

QPointF DesignCanvas::cardOrigin() const {
    const CardDesign& design = document->design();
    const double s = scale();
    // On a whole pixel, so pictures shown one pixel per pixel are not resampled.
    return QPointF(std::floor((width() - design.width * s) / 2),
                   std::floor((height() - design.height * s) / 2));
}

QPointF DesignCanvas::toDots(const QPointF& widgetPoint) const {
    return (widgetPoint - cardOrigin()) / scale();
}

QRectF DesignCanvas::handleRect(const QRectF& objectDots) const {
    const double size = 10 / scale();
    return QRectF(objectDots.bottomRight() - QPointF(size / 2, size / 2), QSizeF(size, size));
}

int DesignCanvas::objectAt(const QPointF& dots) const {
    const CardSide* side = cardSide();
    if (!side)
        return -1;
    // The last drawn is on top; thin objects (lines) get a few pixels of slack.
    const double slack = 4 / scale();
    for (int i = int(side->objects.size()) - 1; i >= 0; --i)
        if (designObjectRect(side->objects[std::size_t(i)])
                .adjusted(-slack, -slack, slack, slack)
                .contains(dots))
            return i;
    return -1;
}

void DesignCanvas::paintCard(QPainter& painter, const CardSide& side) const {
    const CardDesign& design = document->design();
    const double s = scale();
    painter.save();
    painter.scale(s, s);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(QRectF(0, 0, design.width, design.height));
    if (dragBox && selected_ >= 0) {
        CardSide moved = side;
        moved.objects[std::size_t(selected_)].box = *dragBox;
        paintDesignSide(painter, design, moved, context, dataFolder);
    } else {
        paintDesignSide(painter, design, side, context, dataFolder);
    }
    painter.restore();
}

void DesignCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const CardSide* side = cardSide();
    const CardDesign& design = document->design();
    const double s = scale();
    painter.translate(cardOrigin());
    if (!side) {
        painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
        painter.drawRect(QRectF(0, 0, design.width * s, design.height * s));
        painter.drawText(QRectF(0, 0, design.width * s, design.height * s), Qt::AlignCenter,
                         tr("This design prints nothing on this side."));
        return;
    }
    if (!kPlane_.isNull()) {
        // One screen pixel per pixel, so black stays black and white stays white.
        const QSize size(int(std::lround(design.width * s)), int(std::lround(design.height * s)));
        if (kShown.size() != size)
            kShown = kPlanePreview(kPlane_, size);
        painter.drawImage(QPointF(0, 0), kShown);
    } else {
        paintCard(painter, *side);
    }
    painter.setPen(QPen(Qt::darkGray, 1));
    painter.drawRect(QRectF(0, 0, design.width * s, design.height * s));

    auto frame = [&](int index) {
        CardObject object = side->objects[std::size_t(index)];
        if (index == selected_ && dragBox)
            object.box = *dragBox;
        const QRectF r = designObjectRect(object);
        return QRectF(r.topLeft() * s, r.size() * s);
    };
    if (hovered_ >= 0 && hovered_ != selected_) {
        painter.setPen(QPen(QColor(0, 120, 215), 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(frame(hovered_));
    }
    if (selected_ >= 0) {
        const QRectF r = frame(selected_);
        painter.setPen(QPen(QColor(0, 120, 215), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r);
        painter.setBrush(QColor(0, 120, 215));
        painter.drawRect(QRectF(r.bottomRight() - QPointF(4, 4), QSizeF(8, 8)));
    }
}

void DesignCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !cardSide())
        return;
    const QPointF dots = toDots(event->localPos());
    if (selected_ >= 0) {
        const CardBox& box = cardSide()->objects[std::size_t(selected_)].box;
        if (handleRect(designObjectRect(cardSide()->objects[std::size_t(selected_)]))
                .contains(dots)) {
            drag = Drag::Resize;
            dragStart = dots;
            dragFrom = box;
            return;
        }
    }
    setSelected(objectAt(dots));
    if (selected_ >= 0) {
        drag = Drag::Move;
        dragStart = dots;
        dragFrom = cardSide()->objects[std::size_t(selected_)].box;
    }
}

void DesignCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPointF dots = toDots(event->localPos());
    if (drag == Drag::None || !dragFrom) {
        const int over = objectAt(dots);
        if (over != hovered_) {
            hovered_ = over;
            update();
        }
        return;
    }
    const int dx = int(std::lround(dots.x() - dragStart.x()));
    const int dy = int(std::lround(dots.y() - dragStart.y()));
    CardBox box = *dragFrom;
    if (drag == Drag::Move) {
        box.x = snapMove(box.x, dx);
        box.y = snapMove(box.y, dy);
    } else {
        // A box keeps at least one dot; a line may turn through any direction.
        box.w = snapMove(box.w, dx);
        box.h = snapMove(box.h, dy);
        const bool line = cardSide()->objects[std::size_t(selected_)].type == CardObjectType::Line;
        if (!line) {
            box.w = std::max(box.w, dotsToMm(1));
            box.h = std::max(box.h, dotsToMm(1));
        }
    }
    dragBox = box;
    update();
}

void DesignCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || drag == Drag::None)
        return;
    const Drag was = drag;
    drag = Drag::None;
    const std::optional<CardBox> box = dragBox;
    dragBox.reset();
    dragFrom.reset();
    if (!box || selected_ < 0) {
        update();
        return;
    }
    CardDesign changed = document->design();
    CardSide& side = side_ == 0 ? *changed.front : *changed.back;
    side.objects[std::size_t(selected_)].box = *box;
    document->change(changed, was == Drag::Move ? tr("Move") : tr("Resize"));
    update();
}

void DesignCanvas::leaveEvent(QEvent*) {
    if (hovered_ >= 0) {
        hovered_ = -1;
        update();
    }
}

void DesignCanvas::moveSelected(int dx, int dy) {
    if (selected_ < 0)
        return;
    CardDesign changed = document->design();
    CardSide& side = side_ == 0 ? *changed.front : *changed.back;
    CardBox& box = side.objects[std::size_t(selected_)].box;
    box.x = snapMove(box.x, dx);
    box.y = snapMove(box.y, dy);
    document->change(changed, tr("Move"));
}

void DesignCanvas::keyPressEvent(QKeyEvent* event) {
    const int step = (event->modifiers() & Qt::ShiftModifier) ? mmToDots(1) : 1;
    switch (event->key()) {
    case Qt::Key_Left:
        moveSelected(-step, 0);
        break;
    case Qt::Key_Right:
        moveSelected(step, 0);
        break;
    case Qt::Key_Up:
        moveSelected(0, -step);
        break;
    case Qt::Key_Down:
        moveSelected(0, step);
        break;
    case Qt::Key_Escape:
        setSelected(-1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
