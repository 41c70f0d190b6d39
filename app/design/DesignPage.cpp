#include "DesignPage.h"

#include "DesignCanvas.h"
#include "DesignDocument.h"
#include "DesignProblems.h"

#include <carddesign/CardUnits.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

struct ObjectKind {
    CardObjectType type;
    const char* name;
    const char* textLabel; // what the template field edits; null: nothing
};

const ObjectKind objectKinds[] = {
    {CardObjectType::Text, QT_TRANSLATE_NOOP("DesignPage", "Text"),
     QT_TRANSLATE_NOOP("DesignPage", "Text:")},
    {CardObjectType::Image, QT_TRANSLATE_NOOP("DesignPage", "Picture"),
     QT_TRANSLATE_NOOP("DesignPage", "File:")},
    {CardObjectType::Barcode, QT_TRANSLATE_NOOP("DesignPage", "Barcode"),
     QT_TRANSLATE_NOOP("DesignPage", "Data:")},
    {CardObjectType::Rect, QT_TRANSLATE_NOOP("DesignPage", "Rectangle"), nullptr},
    {CardObjectType::Line, QT_TRANSLATE_NOOP("DesignPage", "Line"), nullptr},
};

const ObjectKind& kindOf(CardObjectType type) {
    for (const ObjectKind& kind : objectKinds)
        if (kind.type == type)
            return kind;
    return objectKinds[0];
}

// The template an object's one text field stands for.
QString* templateOf(CardObject& object) {
    switch (object.type) {
    case CardObjectType::Text:
        return &object.text;
    case CardObjectType::Image:
        return &object.src;
    case CardObjectType::Barcode:
        return &object.data;
    default:
        return nullptr;
    }
}

// The colour the panel edits: a text's colour, a rectangle's fill, a line's stroke.
QColor* colorOf(CardObject& object) {
    switch (object.type) {
    case CardObjectType::Text:
        return &object.color;
    case CardObjectType::Rect:
        return &object.fill;
    case CardObjectType::Line:
        return &object.stroke;
    default:
        return nullptr;
    }
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
        left->addWidget(new QLabel(side == 0 ? tr("Front") : tr("Back")));
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
    buildPropertyPanel(objectBox);
    right->addWidget(objectBox);
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
    });
    select(-1, -1);
    showProblems();
}

void DesignPage::buildPropertyPanel(QWidget* panel) {
    auto* form = new QFormLayout(panel);
    kindLabel = new QLabel;
    form->addRow(tr("Kind:"), kindLabel);
    textEdit = new QLineEdit;
    textEdit->setAccessibleName(tr("Template"));
    textEdit->setToolTip(tr("${Column} takes the value of a data column"));
    form->addRow(tr("Text:"), textEdit);
    connect(textEdit, &QLineEdit::editingFinished, this, [this] {
        const QString value = textEdit->text();
        editSelected(tr("Edit text"), [&](CardObject& o) {
            if (QString* text = templateOf(o))
                *text = value;
        });
    });
    fontSize = new QDoubleSpinBox;
    fontSize->setRange(1, 200);
    fontSize->setDecimals(1);
    fontSize->setSuffix(tr(" pt"));
    fontSize->setKeyboardTracking(false);
    fontSize->setAccessibleName(tr("Font size"));
    form->addRow(tr("Font size:"), fontSize);
    connect(fontSize, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            [this](double value) {
                editSelected(tr("Font size"), [&](CardObject& o) { o.font.size = value; });
            });
    colorEdit = new QLineEdit;
    colorEdit->setAccessibleName(tr("Colour"));
    colorEdit->setPlaceholderText(tr("#rrggbb, or empty for none"));
    form->addRow(tr("Colour:"), colorEdit);
    connect(colorEdit, &QLineEdit::editingFinished, this, [this] {
        const QString text = colorEdit->text().trimmed();
        const QColor color(text);
        if (!text.isEmpty() && !color.isValid()) {
            showProperties(); // back to the colour it has
            return;
        }
        editSelected(tr("Colour"), [&](CardObject& o) {
            if (QColor* c = colorOf(o))
                *c = color.isValid() ? color : (o.type == CardObjectType::Text ? *c : QColor());
        });
    });
    inkBox = new QComboBox;
    inkBox->addItems({tr("automatic"), tr("black (K)"), tr("colour")});
    inkBox->setAccessibleName(tr("Ink"));
    form->addRow(tr("Ink:"), inkBox);
    connect(inkBox, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        editSelected(tr("Ink"), [&](CardObject& o) { o.ink = CardInk(index); });
    });
    conditionEdit = new QLineEdit;
    conditionEdit->setAccessibleName(tr("Printed only if"));
    conditionEdit->setToolTip(tr("Printed only when this template is not empty"));
    form->addRow(tr("Only if:"), conditionEdit);
    connect(conditionEdit, &QLineEdit::editingFinished, this, [this] {
        const QString value = conditionEdit->text();
        editSelected(tr("Condition"), [&](CardObject& o) { o.condition = value; });
    });
    const char* const names[4] = {QT_TR_NOOP("X:"), QT_TR_NOOP("Y:"), QT_TR_NOOP("Width:"),
                                  QT_TR_NOOP("Height:")};
    for (int i = 0; i < 4; ++i) {
        auto* spin = new QDoubleSpinBox;
        spin->setRange(-200, 200);
        spin->setDecimals(2);
        spin->setSingleStep(dotsToMm(1));
        spin->setSuffix(tr(" mm"));
        spin->setKeyboardTracking(false);
        spin->setAccessibleName(tr(names[i]).chopped(1));
        boxSpins[i] = spin;
        form->addRow(tr(names[i]), spin);
        connect(spin, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
                [this, i](double value) {
                    // Whatever is typed lands on a whole dot.
                    const double snapped = dotsToMm(mmToDots(value));
                    editSelected(tr("Move"), [&](CardObject& o) {
                        double* fields[4] = {&o.box.x, &o.box.y, &o.box.w, &o.box.h};
                        *fields[i] = snapped;
                    });
                });
    }
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
    for (DesignCanvas* canvas : canvases)
        canvas->setRow(context, dataFolder);
}

void DesignPage::showProperties() {
    const bool any = index_ >= 0;
    CardObject object;
    if (any)
        object = (side_ == 0 ? document->design().front : document->design().back)
                     ->objects[std::size_t(index_)];
    const QSignalBlocker b1(fontSize), b2(inkBox);
    const QSignalBlocker b3(boxSpins[0]), b4(boxSpins[1]), b5(boxSpins[2]), b6(boxSpins[3]);
    kindLabel->setText(any ? tr(kindOf(object.type).name) : tr("nothing selected"));
    QString* text = any ? templateOf(object) : nullptr;
    textEdit->setEnabled(text);
    textEdit->setText(text ? *text : QString());
    fontSize->setEnabled(any && object.type == CardObjectType::Text);
    fontSize->setValue(object.font.size);
    QColor* color = any ? colorOf(object) : nullptr;
    colorEdit->setEnabled(color);
    colorEdit->setText(color && color->isValid() ? color->name() : QString());
    inkBox->setEnabled(any);
    inkBox->setCurrentIndex(int(object.ink));
    conditionEdit->setEnabled(any);
    conditionEdit->setText(object.condition);
    const double values[4] = {object.box.x, object.box.y, object.box.w, object.box.h};
    for (int i = 0; i < 4; ++i) {
        boxSpins[i]->setEnabled(any);
        boxSpins[i]->setValue(values[i]);
    }
    deleteButton->setEnabled(any);
    raiseButton->setEnabled(any);
    lowerButton->setEnabled(any);
}

void DesignPage::showProblems() {
    problemList->clear();
    const QStringList problems = designProblems(document->design(), document->readBackProblem());
    if (problems.isEmpty())
        problemList->addItem(tr("No problems."));
    else
        problemList->addItems(problems);
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
