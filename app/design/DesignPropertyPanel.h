// DesignPropertyPanel: the properties of the selected object, each field made from one entry of
// a table that says which kinds of object it applies to, how it is edited, and how it reads and
// writes the object. Only the fields of the selected object's kind are shown; every edit is
// handed on as one change to the object, which the page records as one undo step.
#pragma once

#include <carddesign/CardDesign.h>

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QVBoxLayout;
class QLabel;
class QToolButton;
struct DesignPropertyField;

class DesignPropertyPanel : public QWidget {
    Q_OBJECT

public:
    // `what`: the undo step's name; `edit` changes a copy of the selected object.
    using Edit = std::function<void(const QString& what, const std::function<void(CardObject&)>&)>;

    DesignPropertyPanel(Edit edit, QWidget* parent = nullptr);

    // Shows the properties of `object` (null: nothing selected), called `kind`.
    void showObject(const CardObject* object, const QString& kind);
    // The font families a text may name (the renderer's own).
    void setFontFamilies(const QStringList& families);
    // Where the file chooser starts, and what picture names are made relative to.
    void setDesignFolder(const QString& folder) { folder_ = folder; }

private:
    struct Row {
        const DesignPropertyField* field;
        QWidget* line;       // the whole row: label and field
        QWidget* widget;     // the row's field: the editor, or the editor and its button
        QWidget* editor;     // what holds the value
        QToolButton* button; // a file's or colour's chooser; null for others
    };

    static const std::vector<DesignPropertyField>& fields();
    void addRow(const DesignPropertyField& field);
    QWidget* addLine(const QString& label, QWidget* field);
    void apply(const DesignPropertyField& field, const QVariant& value);
    void textEntered(const Row& row);
    void fill(const Row& row, const CardObject& object);
    void chooseFile(const Row& row);
    void chooseColour(const Row& row);

    Edit edit_;
    QString folder_;
    QStringList families_;
    QVBoxLayout* column; // rows of their own, so hidden ones leave no gap
    std::vector<QLabel*> labels;
    QLabel* kindLabel;
    std::vector<Row> rows;
    CardObject shown; // the object whose values the fields hold
    bool any = false; // an object is shown
};
