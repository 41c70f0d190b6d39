#include "DesignPropertyPanel.h"

#include <carddesign/CardUnits.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum class Editor { Line, File, Colour, OptionalColour, Choice, Family, Number, Whole, Check };

constexpr unsigned kindBit(CardObjectType type) {
    return 1u << unsigned(type);
}
constexpr unsigned textKind = kindBit(CardObjectType::Text);
constexpr unsigned imageKind = kindBit(CardObjectType::Image);
constexpr unsigned barcodeKind = kindBit(CardObjectType::Barcode);
constexpr unsigned rectKind = kindBit(CardObjectType::Rect);
constexpr unsigned lineKind = kindBit(CardObjectType::Line);
constexpr unsigned anyKind = textKind | imageKind | barcodeKind | rectKind | lineKind;

using Getter = QVariant (*)(const CardObject&);
using Setter = void (*)(CardObject&, const QVariant&);

double snapped(const QVariant& mm) {
    return dotsToMm(mmToDots(mm.toDouble())); // whatever is typed lands on a whole dot
}

QString colourName(const QColor& colour) {
    if (!colour.isValid())
        return QString();
    return colour.alpha() < 255 ? colour.name(QColor::HexArgb) : colour.name();
}

} // namespace

// One field of the panel: where it applies, how it is edited, how it reads and writes.
struct DesignPropertyField {
    const char* label;
    const char* name; // the accessible name, and the undo step's unless `step` is set
    unsigned kinds;   // kindBit()s of the objects it applies to
    Editor editor;
    Getter get;
    Setter set;
    QStringList choices; // Choice: in the order of the enum's values
    double min = 0;
    double max = 0;
    int decimals = 0;
    const char* suffix = nullptr;
    const char* step = nullptr;
    const char* tip = nullptr;
    const char* zero = nullptr; // Whole: what 0 means

    DesignPropertyField(const char* label, const char* name, unsigned kinds, Editor editor,
                        Getter get, Setter set, QStringList choices = {})
        : label(label), name(name), kinds(kinds), editor(editor), get(get), set(set),
          choices(std::move(choices)) {}

    DesignPropertyField& withStep(const char* text) {
        step = text;
        return *this;
    }
    DesignPropertyField& withTip(const char* text) {
        tip = text;
        return *this;
    }
    DesignPropertyField& withZero(const char* text) {
        zero = text;
        return *this;
    }
    DesignPropertyField& range(double low, double high, int places, const char* unit) {
        min = low;
        max = high;
        decimals = places;
        suffix = unit;
        return *this;
    }
};

#define GET(expr) [](const CardObject& o) -> QVariant { return expr; }
#define SET(statement) [](CardObject& o, const QVariant& v) { statement; }

const std::vector<DesignPropertyField>& DesignPropertyPanel::fields() {
    using F = DesignPropertyField;
    static const std::vector<F> table = {
        F{QT_TR_NOOP("Text:"), QT_TR_NOOP("Template"), textKind, Editor::Line, GET(o.text),
          SET(o.text = v.toString())}
            .withStep(QT_TR_NOOP("Edit text"))
            .withTip(QT_TR_NOOP("${Column} takes the value of a data column")),
        F{QT_TR_NOOP("Font:"), QT_TR_NOOP("Font family"), textKind, Editor::Family,
          GET(o.font.family), SET(o.font.family = v.toString())},
        F{QT_TR_NOOP("Font size:"), QT_TR_NOOP("Font size"), textKind, Editor::Number,
          GET(o.font.size),
          // Shrinking never starts below the smallest size it may reach.
          SET(o.font.size = v.toDouble(); o.minSize = std::min(o.minSize, o.font.size))}
            .range(1, 400, 1, QT_TR_NOOP(" pt")),
        F{QT_TR_NOOP("Bold"), QT_TR_NOOP("Bold"), textKind, Editor::Check, GET(o.font.bold),
          SET(o.font.bold = v.toBool())},
        F{QT_TR_NOOP("Italic"), QT_TR_NOOP("Italic"), textKind, Editor::Check, GET(o.font.italic),
          SET(o.font.italic = v.toBool())},
        F{QT_TR_NOOP("Colour:"), QT_TR_NOOP("Colour"), textKind, Editor::Colour, GET(o.color),
          SET(o.color = v.value<QColor>())},
        F{QT_TR_NOOP("Align:"),
          QT_TR_NOOP("Alignment"),
          textKind,
          Editor::Choice,
          GET(int(o.align)),
          SET(o.align = CardAlign(v.toInt())),
          {QT_TR_NOOP("left"), QT_TR_NOOP("centre"), QT_TR_NOOP("right")}},
        F{QT_TR_NOOP("Fit:"),
          QT_TR_NOOP("Text fit"),
          textKind,
          Editor::Choice,
          GET(int(o.fit)),
          SET(o.fit = CardTextFit(v.toInt())),
          {QT_TR_NOOP("none (cut off)"), QT_TR_NOOP("shrink"), QT_TR_NOOP("wrap"),
           QT_TR_NOOP("shrink and wrap")}},
        F{QT_TR_NOOP("Smallest size:"), QT_TR_NOOP("Smallest font size"), textKind, Editor::Number,
          GET(o.minSize), SET(o.minSize = std::min(v.toDouble(), o.font.size))}
            .range(1, 400, 1, QT_TR_NOOP(" pt"))
            .withTip(QT_TR_NOOP("Shrinking stops at this size")),
        F{QT_TR_NOOP("Most lines:"), QT_TR_NOOP("Most lines"), textKind, Editor::Whole,
          GET(o.maxLines), SET(o.maxLines = v.toInt())}
            .range(0, 100, 0, nullptr)
            .withZero(QT_TR_NOOP("as many as fit")),
        F{QT_TR_NOOP("File:"), QT_TR_NOOP("Picture file"), imageKind, Editor::File, GET(o.src),
          SET(o.src = v.toString())}
            .withTip(QT_TR_NOOP("A file name; photos/${ID}.jpg takes it from the data row")),
        F{QT_TR_NOOP("Fit:"),
          QT_TR_NOOP("Picture fit"),
          imageKind,
          Editor::Choice,
          GET(int(o.imageFit)),
          SET(o.imageFit = CardImageFit(v.toInt())),
          {QT_TR_NOOP("cover (fills the box, cut to it)"),
           QT_TR_NOOP("contain (all of it, centred)")}},
        F{QT_TR_NOOP("Symbology:"),
          QT_TR_NOOP("Symbology"),
          barcodeKind,
          Editor::Choice,
          GET(int(o.symbology)),
          SET(o.symbology = CardSymbology(v.toInt())),
          {QStringLiteral("Code 128"), QStringLiteral("Code 39"), QStringLiteral("EAN-13"),
           QStringLiteral("QR Code"), QStringLiteral("Data Matrix"), QStringLiteral("PDF417")}},
        F{QT_TR_NOOP("Data:"), QT_TR_NOOP("Barcode data"), barcodeKind, Editor::Line, GET(o.data),
          SET(o.data = v.toString())}
            .withTip(QT_TR_NOOP("${Column} takes the value of a data column")),
        F{QT_TR_NOOP("Module:"), QT_TR_NOOP("Module size"), barcodeKind, Editor::Whole,
          GET(o.module), SET(o.module = v.toInt())}
            .range(1, 40, 0, QT_TR_NOOP(" dots"))
            .withTip(QT_TR_NOOP("The width of the narrowest bar, in printer dots")),
        F{QT_TR_NOOP("Quiet zone"), QT_TR_NOOP("Quiet zone"), barcodeKind, Editor::Check,
          GET(o.quietZone), SET(o.quietZone = v.toBool())},
        F{QT_TR_NOOP("Human-readable text"), QT_TR_NOOP("Human-readable text"), barcodeKind,
          Editor::Check, GET(o.humanReadable), SET(o.humanReadable = v.toBool())}
            .withTip(QT_TR_NOOP("The data written under a linear barcode")),
        F{QT_TR_NOOP("Fill:"), QT_TR_NOOP("Fill colour"), rectKind, Editor::OptionalColour,
          GET(o.fill), SET(o.fill = v.value<QColor>())},
        F{QT_TR_NOOP("Stroke:"), QT_TR_NOOP("Stroke colour"), rectKind | lineKind,
          Editor::OptionalColour, GET(o.stroke), SET(o.stroke = v.value<QColor>())},
        F{QT_TR_NOOP("Stroke width:"), QT_TR_NOOP("Stroke width"), rectKind | lineKind,
          Editor::Number, GET(o.strokeWidth), SET(o.strokeWidth = v.toDouble())}
            .range(0, 20, 2, QT_TR_NOOP(" mm")),
        F{QT_TR_NOOP("Ink:"),
          QT_TR_NOOP("Ink"),
          anyKind,
          Editor::Choice,
          GET(int(o.ink)),
          SET(o.ink = CardInk(v.toInt())),
          {QT_TR_NOOP("automatic"), QT_TR_NOOP("black (K)"), QT_TR_NOOP("colour")}}
            .withTip(QT_TR_NOOP("Black (K) prints with the black resin panel: sharp, one bit "
                                "per dot, read by infrared scanners")),
        F{QT_TR_NOOP("Only if:"), QT_TR_NOOP("Printed only if"), anyKind, Editor::Line,
          GET(o.condition), SET(o.condition = v.toString())}
            .withStep(QT_TR_NOOP("Condition"))
            .withTip(QT_TR_NOOP("Printed only when this template is not empty")),
        F{QT_TR_NOOP("X:"), QT_TR_NOOP("X"), anyKind, Editor::Number, GET(o.box.x),
          SET(o.box.x = snapped(v))}
            .range(-200, 200, 2, QT_TR_NOOP(" mm"))
            .withStep(QT_TR_NOOP("Move")),
        F{QT_TR_NOOP("Y:"), QT_TR_NOOP("Y"), anyKind, Editor::Number, GET(o.box.y),
          SET(o.box.y = snapped(v))}
            .range(-200, 200, 2, QT_TR_NOOP(" mm"))
            .withStep(QT_TR_NOOP("Move")),
        F{QT_TR_NOOP("Width:"), QT_TR_NOOP("Width"), anyKind, Editor::Number, GET(o.box.w),
          SET(o.box.w = snapped(v))}
            .range(-200, 200, 2, QT_TR_NOOP(" mm"))
            .withStep(QT_TR_NOOP("Resize")),
        F{QT_TR_NOOP("Height:"), QT_TR_NOOP("Height"), anyKind, Editor::Number, GET(o.box.h),
          SET(o.box.h = snapped(v))}
            .range(-200, 200, 2, QT_TR_NOOP(" mm"))
            .withStep(QT_TR_NOOP("Resize")),
    };
    return table;
}

#undef GET
#undef SET

DesignPropertyPanel::DesignPropertyPanel(Edit edit, QWidget* parent)
    : QWidget(parent), edit_(std::move(edit)) {
    column = new QVBoxLayout(this);
    kindLabel = new QLabel;
    addLine(tr("Kind:"), kindLabel);
    for (const DesignPropertyField& field : fields())
        addRow(field);
    column->addStretch();
    // The fields line up behind the widest label; the panel is as wide as the widest kind needs,
    // measured while every row still counts.
    int labelWidth = 0;
    for (QLabel* label : labels)
        labelWidth = std::max(labelWidth, label->sizeHint().width());
    for (QLabel* label : labels)
        label->setFixedWidth(labelWidth);
    setMinimumWidth(column->sizeHint().width());
    showObject(nullptr, tr("nothing selected"));
}

void DesignPropertyPanel::addRow(const DesignPropertyField& f) {
    Row row{&f, nullptr, nullptr, nullptr, nullptr};
    switch (f.editor) {
    case Editor::Line:
    case Editor::File:
    case Editor::Colour:
    case Editor::OptionalColour: {
        auto* line = new QLineEdit;
        row.editor = row.widget = line;
        if (f.editor == Editor::Colour)
            line->setPlaceholderText(tr("#rrggbb or a colour name"));
        else if (f.editor == Editor::OptionalColour)
            line->setPlaceholderText(tr("#rrggbb, or empty for none"));
        if (f.editor != Editor::Line) {
            row.widget = new QWidget;
            auto* h = new QHBoxLayout(row.widget);
            h->setContentsMargins(0, 0, 0, 0);
            h->addWidget(line, 1);
            row.button = new QToolButton;
            row.button->setText(tr("..."));
            row.button->setAccessibleName(f.editor == Editor::File
                                              ? tr("Choose the picture file")
                                              : tr("Choose: %1").arg(tr(f.name)));
            h->addWidget(row.button);
        }
        break;
    }
    case Editor::Choice:
    case Editor::Family: {
        auto* box = new QComboBox;
        // Long choices are cut rather than widen the panel past the cards.
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(14);
        for (const QString& choice : f.choices)
            box->addItem(tr(choice.toUtf8().constData()));
        row.editor = row.widget = box;
        break;
    }
    case Editor::Number: {
        auto* spin = new QDoubleSpinBox;
        spin->setRange(f.min, f.max);
        spin->setDecimals(f.decimals);
        const bool mm = f.suffix && QLatin1String(f.suffix) == QLatin1String(" mm");
        spin->setSingleStep(mm ? dotsToMm(1) : 0.5);
        spin->setSuffix(f.suffix ? tr(f.suffix) : QString());
        spin->setKeyboardTracking(false);
        row.editor = row.widget = spin;
        break;
    }
    case Editor::Whole: {
        auto* spin = new QSpinBox;
        spin->setRange(int(f.min), int(f.max));
        spin->setSuffix(f.suffix ? tr(f.suffix) : QString());
        if (f.zero)
            spin->setSpecialValueText(tr(f.zero));
        spin->setKeyboardTracking(false);
        row.editor = row.widget = spin;
        break;
    }
    case Editor::Check:
        row.editor = row.widget = new QCheckBox(tr(f.label));
        break;
    }
    row.editor->setAccessibleName(tr(f.name));
    if (f.tip)
        row.editor->setToolTip(tr(f.tip));
    row.line = addLine(f.editor == Editor::Check ? QString() : tr(f.label), row.widget);
    rows.push_back(row);

    // Each editor hands on a finished value: text when editing ends, the rest at once.
    const std::size_t at = rows.size() - 1;
    if (auto* line = qobject_cast<QLineEdit*>(row.editor))
        connect(line, &QLineEdit::editingFinished, this, [this, at] { textEntered(rows[at]); });
    if (row.button)
        connect(row.button, &QToolButton::clicked, this, [this, at] {
            if (rows[at].field->editor == Editor::File)
                chooseFile(rows[at]);
            else
                chooseColour(rows[at]);
        });
    if (auto* box = qobject_cast<QComboBox*>(row.editor))
        connect(box, QOverload<int>::of(&QComboBox::activated), this, [this, &f, box](int index) {
            apply(f, f.editor == Editor::Family ? QVariant(box->itemText(index)) : QVariant(index));
        });
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(row.editor))
        connect(spin, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
                [this, &f](double value) { apply(f, value); });
    if (auto* spin = qobject_cast<QSpinBox*>(row.editor))
        connect(spin, QOverload<int>::of(&QSpinBox::valueChanged), this,
                [this, &f](int value) { apply(f, value); });
    if (auto* check = qobject_cast<QCheckBox*>(row.editor))
        connect(check, &QCheckBox::clicked, this, [this, &f](bool on) { apply(f, on); });
}

QWidget* DesignPropertyPanel::addLine(const QString& text, QWidget* field) {
    auto* line = new QWidget;
    auto* h = new QHBoxLayout(line);
    h->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(text);
    label->setBuddy(field);
    labels.push_back(label);
    h->addWidget(label);
    h->addWidget(field, 1);
    column->addWidget(line);
    return line;
}

void DesignPropertyPanel::apply(const DesignPropertyField& field, const QVariant& value) {
    if (!any)
        return;
    const Setter set = field.set;
    edit_(tr(field.step ? field.step : field.name), [set, value](CardObject& o) { set(o, value); });
}

void DesignPropertyPanel::textEntered(const Row& row) {
    const DesignPropertyField& f = *row.field;
    const QString text = static_cast<QLineEdit*>(row.editor)->text();
    if (f.editor != Editor::Colour && f.editor != Editor::OptionalColour) {
        apply(f, text);
        return;
    }
    const QColor colour(text.trimmed());
    if (text.trimmed().isEmpty() && f.editor == Editor::OptionalColour)
        apply(f, QColor());
    else if (colour.isValid())
        apply(f, colour);
    else
        fill(row, shown); // back to the colour it has
}

void DesignPropertyPanel::fill(const Row& row, const CardObject& object) {
    const DesignPropertyField& f = *row.field;
    const QVariant value = f.get(object);
    const QSignalBlocker blocker(row.editor);
    switch (f.editor) {
    case Editor::Line:
    case Editor::File:
        static_cast<QLineEdit*>(row.editor)->setText(value.toString());
        break;
    case Editor::Colour:
    case Editor::OptionalColour: {
        const QColor colour = value.value<QColor>();
        static_cast<QLineEdit*>(row.editor)->setText(colourName(colour));
        QPixmap swatch(12, 12);
        swatch.fill(colour.isValid() ? colour : QColor(Qt::transparent));
        row.button->setIcon(QIcon(swatch));
        break;
    }
    case Editor::Choice:
        static_cast<QComboBox*>(row.editor)->setCurrentIndex(value.toInt());
        break;
    case Editor::Family: {
        auto* box = static_cast<QComboBox*>(row.editor);
        // A family the renderer lacks is still shown as the design names it (and listed
        // among the problems).
        if (box->findText(value.toString()) < 0)
            box->addItem(value.toString());
        box->setCurrentText(value.toString());
        break;
    }
    case Editor::Number:
        static_cast<QDoubleSpinBox*>(row.editor)->setValue(value.toDouble());
        break;
    case Editor::Whole:
        static_cast<QSpinBox*>(row.editor)->setValue(value.toInt());
        break;
    case Editor::Check:
        static_cast<QCheckBox*>(row.editor)->setChecked(value.toBool());
        break;
    }
}

void DesignPropertyPanel::showObject(const CardObject* object, const QString& kind) {
    any = object;
    kindLabel->setText(kind);
    if (object)
        shown = *object;
    for (const Row& row : rows) {
        const bool applies = object && (row.field->kinds & kindBit(object->type));
        row.line->setVisible(applies);
        if (object)
            fill(row, *object);
    }
}

void DesignPropertyPanel::setFontFamilies(const QStringList& families) {
    families_ = families;
    for (const Row& row : rows)
        if (row.field->editor == Editor::Family) {
            auto* box = static_cast<QComboBox*>(row.editor);
            const QSignalBlocker blocker(box);
            box->clear();
            box->addItems(families);
        }
    if (any)
        showObject(&shown, kindLabel->text());
}

void DesignPropertyPanel::chooseFile(const Row& row) {
    const QString chosen =
        QFileDialog::getOpenFileName(this, tr("Choose a picture"), folder_,
                                     tr("Pictures (*.png *.jpg *.jpeg *.svg);;All files (*)"));
    if (chosen.isEmpty())
        return;
    // Artwork beside the design is named relative to it, so the design can move with it.
    QString name = chosen;
    if (!folder_.isEmpty()) {
        const QString relative = QDir(folder_).relativeFilePath(chosen);
        if (!relative.startsWith(QLatin1String("..")))
            name = relative;
    }
    static_cast<QLineEdit*>(row.editor)->setText(name);
    apply(*row.field, name);
}

void DesignPropertyPanel::chooseColour(const Row& row) {
    const QColor now(static_cast<QLineEdit*>(row.editor)->text().trimmed());
    const QColor colour =
        QColorDialog::getColor(now.isValid() ? now : QColor(Qt::black), this, tr(row.field->name),
                               QColorDialog::ShowAlphaChannel);
    if (colour.isValid())
        apply(*row.field, colour);
}
