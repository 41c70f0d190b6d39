// DesignPage: the open design's front and back (or their K planes alone, as they print), a panel
// of the selected object's properties, the design's problems, and the buttons that add, delete,
// reorder, undo and save.
#pragma once

#include <carddesign/CardDesign.h>
#include <carddesign/CardTemplate.h>

#include <QWidget>

#include <functional>

class DesignCanvas;
class DesignDocument;
class DesignPropertyPanel;
class QCheckBox;
class QListWidget;
class QPushButton;

class DesignPage : public QWidget {
    Q_OBJECT

public:
    DesignPage(DesignDocument* document, QWidget* parent = nullptr);

    DesignCanvas* canvas(int side) const { return canvases[side]; }
    // The row the sides show (a null record: the templates).
    void setRow(const CardTemplateContext& context, const QString& dataFolder);

    // Save and Save as; false when the design was not written (cancelled or failed, said).
    bool save();
    bool saveAs();

    // The selected object (side, index), or (-1, -1).
    int selectedSide() const { return side_; }
    int selectedIndex() const { return index_; }
    void select(int side, int index);

    // Shows each side's K plane alone instead of the whole card.
    void setKPlaneOnly(bool on);
    // The problems listed beside the design.
    QStringList problems() const;

private:
    void showProperties();
    void showProblems();
    void showKPlanes();
    void designFolderChanged();
    // Applies `edit` to a copy of the selected object and records it as one step.
    void editSelected(const QString& what, const std::function<void(CardObject&)>& edit);
    void addObject(CardObjectType type);
    void deleteSelected();
    void moveInOrder(int by);

    DesignDocument* document;
    DesignCanvas* canvases[2];
    int side_ = -1;
    int index_ = -1;
    CardTemplateContext row;
    QString rowFolder;
    CardRecord rowShown; // the row as it was when shown

    DesignPropertyPanel* properties;
    QCheckBox* kPlaneOnly;
    QPushButton* deleteButton;
    QPushButton* raiseButton;
    QPushButton* lowerButton;
    QListWidget* problemList;
};
