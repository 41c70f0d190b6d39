// DesignDocument: the card design open in the window, where it is saved, and the undo history
// of every change made to it. Every edit goes through change(), so everything can be undone.
#pragma once

#include <carddesign/CardDesign.h>

#include <QObject>
#include <QString>
#include <QUndoStack>

class DesignDocument : public QObject {
    Q_OBJECT

public:
    explicit DesignDocument(QObject* parent = nullptr);
    // The undo stack says it is clean as it goes; by then the views listening may be half gone.
    ~DesignDocument() override { undo.blockSignals(true); }

    // Reads the design in `path`; false with the reader's message (the document is unchanged).
    bool load(const QString& path, QString& error);
    // Writes the design; refuses one the reader would not read back, so the file always opens.
    bool save(const QString& path, QString& error);

    const CardDesign& design() const { return design_; }
    const QString& path() const { return path_; }
    QUndoStack* undoStack() { return &undo; }
    bool isModified() const { return !undo.isClean(); }

    // Replaces the design with `changed` as one undoable step called `text`. A change that
    // leaves the design as it is makes no step.
    void change(const CardDesign& changed, const QString& text);

    // Why the design as it is now would not read back (empty when it would).
    QString readBackProblem() const;

signals:
    void designChanged();
    void pathChanged();

private:
    friend class DesignChangeCommand;
    void set(const CardDesign& design);

    CardDesign design_;
    QString path_;
    QUndoStack undo;
};
