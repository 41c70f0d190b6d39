#include "DesignPage.h"

#include "DesignCanvas.h"
#include "DesignDocument.h"
#include "DesignKPlane.h"
#include "DesignProblems.h"
#include "DesignPropertyPanel.h"

#include <carddesign/CardRenderer.h>
#include <carddesign/CardUnits.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include <array>

namespace {

struct ObjectKind {
    CardObjectType type;
    const char* name;
};

const ObjectKind objectKinds[] = {
    {CardObjectType::Text, QT_TRANSLATE_NOOP("DesignPage", "Text")},
    {CardObjectType::Image, QT_TRANSLATE_NOOP("DesignPage", "Picture")},
    {CardObjectType::Barcode, QT_TRANSLATE_NOOP("DesignPage", "Barcode")},
    {CardObjectType::Rect, QT_TRANSLATE_NOOP("DesignPage", "Rectangle")},
    {CardObjectType::Line, QT_TRANSLATE_NOOP("DesignPage", "Line")},
};

const ObjectKind& kindOf(CardObjectType type) {
    for (const ObjectKind& kind : objectKinds)
        if (kind.type == type)
            return kind;
    return objectKinds[0];
}

std::optional<CardSide>& sideOf(CardDesign& design, int side) {
    return side == 0 ? design.front : design.back;
}

QPushButton* button(const QString& text, const QString& accessible, QLayout* layout) {
    auto* b = new QPushButton(text);
    b->setAccessibleName(accessible);
    layout->addWidget(b);
    return b;
}

} // namespace

DesignPage::DesignPage(DesignDocument* document, QWidget* parent)
    : QWidget(parent), document(document) {
    auto* top = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    top->addLayout(left, 3);

    auto* tools = new QHBoxLayout;
    QUndoStack* undo = document->undoStack();
    QPushButton* undoButton = button(tr("Undo"), tr("Undo"), tools);
    QPushButton* redoButton = button(tr("Redo"), tr("Redo"), tools);
    connect(undoButton, &QPushButton::clicked, undo, &QUndoStack::undo);
    connect(redoButton, &QPushButton::clicked, undo, &QUndoStack::redo);
    connect(undo, &QUndoStack::canUndoChanged, undoButton, &QWidget::setEnabled);
    connect(undo, &QUndoStack::canRedoChanged, redoButton, &QWidget::setEnabled);
    undoButton->setEnabled(false);
    redoButton->setEnabled(false);
    auto* undoKey = new QShortcut(QKeySequence::Undo, this);
    auto* redoKey = new QShortcut(QKeySequence(tr("Ctrl+Shift+Z")), this);
    connect(undoKey, &QShortcut::activated, undo, &QUndoStack::undo);
    connect(redoKey, &QShortcut::activated, undo, &QUndoStack::redo);

    auto* add = new QToolButton;
    add->setText(tr("Add"));
    add->setAccessibleName(tr("Add an object"));
    add->setPopupMode(QToolButton::InstantPopup);
    auto* addMenu = new QMenu(add);
    for (const ObjectKind& kind : objectKinds) {
        const CardObjectType type = kind.type;
        addMenu->addAction(tr(kind.name), this, [this, type] { addObject(type); });
    }
    add->setMenu(addMenu);
    tools->addWidget(add);
    deleteButton = button(tr("Delete"), tr("Delete the object"), tools);
    raiseButton = button(tr("Forward"), tr("Draw the object later"), tools);
    lowerButton = button(tr("Backward"), tr("Draw the object earlier"), tools);
    connect(deleteButton, &QPushButton::clicked, this, &DesignPage::deleteSelected);
    connect(raiseButton, &QPushButton::clicked, this, [this] { moveInOrder(1); });
    connect(lowerButton, &QPushButton::clicked, this, [this] { moveInOrder(-1); });
    kPlaneOnly = new QCheckBox(tr("K plane only"));
    kPlaneOnly->setObjectName(QStringLiteral("designKPlaneOnly"));
    kPlaneOnly->setAccessibleName(tr("Show the K plane only"));
    kPlaneOnly->setToolTip(tr("The black resin panel alone, as it prints: one bit per dot"));
    connect(kPlaneOnly, &QCheckBox::toggled, this, &DesignPage::showKPlanes);
    tools->addStretch();
    QPushButton* saveButton = button(tr("Save"), tr("Save the design"), tools);
    QPushButton* saveAsButton = button(tr("Save as..."), tr("Save the design as"), tools);
    saveButton->setObjectName(QStringLiteral("designSaveButton"));
    connect(saveButton, &QPushButton::clicked, this, &DesignPage::save);
    connect(saveAsButton, &QPushButton::clicked, this, &DesignPage::saveAs);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            &DesignPage::save);
    left->addLayout(tools);

    for (int side = 0; side < 2; ++side) {
        auto* heading = new QHBoxLayout;
        heading->addWidget(new QLabel(side == 0 ? tr("Front") : tr("Back")));
        heading->addStretch();
        if (side == 0)
            heading->addWidget(kPlaneOnly); // over the cards it changes
        left->addLayout(heading);
        canvases[side] = new DesignCanvas(document, side);
        left->addWidget(canvases[side], 1);
        connect(canvases[side], &DesignCanvas::selectionChanged, this, [this](int s, int index) {
            if (index >= 0)
                select(s, index);
            else if (s == side_)
                select(-1, -1);
        });
    }

    auto* right = new QVBoxLayout;
    top->addLayout(right, 1);
    auto* objectBox = new QGroupBox(tr("Object"));
    auto* objectLayout = new QVBoxLayout(objectBox);
    properties = new DesignPropertyPanel(
        [this](const QString& what, const std::function<void(CardObject&)>& edit) {
            editSelected(what, edit);
        });
    // The panel of a text is long: it scrolls rather than squeeze the problems away.
    auto* scroll = new QScrollArea;
    scroll->setWidget(properties);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(properties->minimumWidth() +
                            scroll->verticalScrollBar()->sizeHint().width());
    scroll->viewport()->setAutoFillBackground(false);
    properties->setAutoFillBackground(false);
    objectLayout->addWidget(scroll);
    right->addWidget(objectBox, 3);
    auto* problemBox = new QGroupBox(tr("Problems of the design"));
    auto* problemLayout = new QVBoxLayout(problemBox);
    problemList = new QListWidget;
    problemList->setAccessibleName(tr("Problems of the design"));
    problemList->setWordWrap(true);
    problemLayout->addWidget(problemList);
    right->addWidget(problemBox, 1);

    connect(document, &DesignDocument::designChanged, this, [this] {
        select(side_, index_);
        showProblems();
        showKPlanes();
    });
    connect(document, &DesignDocument::pathChanged, this, &DesignPage::designFolderChanged);
    designFolderChanged();
    select(-1, -1);
    showProblems();
}

void DesignPage::select(int side, int index) {
    const auto& sides = side == 0 ? document->design().front : document->design().back;
    if (side < 0 || !sides || index < 0 || index >= int(sides->objects.size()))
        side = index = -1;
    side_ = side;
    index_ = index;
    for (int s = 0; s < 2; ++s) {
        const QSignalBlocker blocker(canvases[s]);
        canvases[s]->setSelected(s == side ? index : -1);
    }
    showProperties();
}

void DesignPage::setRow(const CardTemplateContext& context, const QString& dataFolder) {
    // The batch page says the row again after every edit, which this page has shown already.
    const CardRecord shown = context.record ? *context.record : CardRecord();
    const bool same = context.record == row.record && context.date == row.date &&
                      dataFolder == rowFolder && shown.values == rowShown.values &&
                      shown.row == rowShown.row;
    row = context;
    rowFolder = dataFolder;
    rowShown = shown;
    for (DesignCanvas* canvas : canvases)
        canvas->setRow(context, dataFolder);
    if (same)
        return;
    showProblems();
    showKPlanes();
}

void DesignPage::showProperties() {
    const bool any = index_ >= 0;
    const CardObject* object =
        any ? &(side_ == 0 ? document->design().front : document->design().back)
                   ->objects[std::size_t(index_)]
            : nullptr;
    properties->showObject(object, object ? tr(kindOf(object->type).name) : tr("nothing selected"));
    deleteButton->setEnabled(any);
    raiseButton->setEnabled(any);
    lowerButton->setEnabled(any);
}

QStringList DesignPage::problems() const {
    return designProblems(document->design(), document->readBackProblem(), row, rowFolder);
}

void DesignPage::showProblems() {
    problemList->clear();
    const QStringList found = problems();
    if (found.isEmpty())
        problemList->addItem(tr("No problems."));
    else
        problemList->addItems(found);
}

void DesignPage::setKPlaneOnly(bool on) {
    kPlaneOnly->setChecked(on);
}

void DesignPage::showKPlanes() {
    std::array<QImage, 2> planes;
    if (kPlaneOnly->isChecked())
        planes = designKPlanes(document->design(), row, rowFolder);
    for (int s = 0; s < 2; ++s)
        canvases[s]->setKPlane(planes[std::size_t(s)]);
}

void DesignPage::designFolderChanged() {
    // Fonts in the design's folder are the renderer's too.
    properties->setFontFamilies(CardRenderer(document->design()).fontFamilies());
    properties->setDesignFolder(document->design().folder);
}

void DesignPage::editSelected(const QString& what, const std::function<void(CardObject&)>& edit) {
    if (index_ < 0)
        return;
    CardDesign changed = document->design();
    edit(sideOf(changed, side_)->objects[std::size_t(index_)]);
    document->change(changed, what);
}

void DesignPage::addObject(CardObjectType type) {
    CardDesign changed = document->design();
    // New objects go on the side being worked on: the selected object's, else the front.
    const int side = side_ >= 0 ? side_ : 0;
    std::optional<CardSide>& target = sideOf(changed, side);
    if (!target)
        target.emplace();
    CardObject object = cardObjectDefaults(type);
    object.box = CardBox{dotsToMm(60), dotsToMm(60), dotsToMm(360), dotsToMm(96)};
    if (type == CardObjectType::Text)
        object.text = tr("Text");
    else if (type == CardObjectType::Barcode)
        object.data = QStringLiteral("12345678");
    else if (type == CardObjectType::Rect)
        object.fill = QColor(200, 200, 200);
    else if (type == CardObjectType::Line)
        object.box.h = 0;
    target->objects.push_back(object);
    const int index = int(target->objects.size()) - 1;
    document->change(changed, tr("Add %1").arg(tr(kindOf(type).name)));
    select(side, index);
}

void DesignPage::deleteSelected() {
    if (index_ < 0)
        return;
    CardDesign changed = document->design();
    auto& objects = sideOf(changed, side_)->objects;
    objects.erase(objects.begin() + index_);
    document->change(changed, tr("Delete"));
}

void DesignPage::moveInOrder(int by) {
    if (index_ < 0)
        return;
    CardDesign changed = document->design();
    auto& objects = sideOf(changed, side_)->objects;
    const int to = index_ + by;
    if (to < 0 || to >= int(objects.size()))
        return;
    std::swap(objects[std::size_t(index_)], objects[std::size_t(to)]);
    const int side = side_;
    document->change(changed, tr("Drawing order"));
    select(side, to);
}

bool DesignPage::save() {
    if (document->path().isEmpty())
        return saveAs();
    QString error;
    if (document->save(document->path(), error))
        return true;
    QMessageBox::critical(this, tr("Save"), error);
    return false;
}

bool DesignPage::saveAs() {
    QString path = QFileDialog::getSaveFileName(this, tr("Save the design as"), document->path(),
                                                tr("Card designs (*.card.json)"));
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QStringLiteral(".card.json")))
        path += QStringLiteral(".card.json");
    QString error;
    if (document->save(path, error))
        return true;
    QMessageBox::critical(this, tr("Save"), error);
    return false;
}
