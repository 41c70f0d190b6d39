#include "DesignDocument.h"

#include <carddesign/CardDesignFile.h>

#include <QFileInfo>
#include <QUndoCommand>

// One step of the history: the whole design before and after. Designs are small, and a whole
// copy cannot get out of step with the model the way a per-field command could.
class DesignChangeCommand : public QUndoCommand {
public:
    DesignChangeCommand(DesignDocument* document, CardDesign before, CardDesign after,
                        const QString& text)
        : QUndoCommand(text), document(document), before(std::move(before)),
          after(std::move(after)) {}
    void redo() override { document->set(after); }
    void undo() override { document->set(before); }

private:
    DesignDocument* document;
    CardDesign before;
    CardDesign after;
};

DesignDocument::DesignDocument(QObject* parent) : QObject(parent) {}

bool DesignDocument::load(const QString& path, QString& error) {
    CardDesignResult result = loadCardDesign(path);
    if (!result.design) {
        error = result.error;
        return false;
    }
    design_ = *result.design;
    path_ = QFileInfo(path).absoluteFilePath();
    undo.clear();
    emit pathChanged();
    emit designChanged();
    return true;
}

bool DesignDocument::save(const QString& path, QString& error) {
    const QString problem = readBackProblem();
    if (!problem.isEmpty()) {
        error = tr("The design would not open again: %1").arg(problem);
        return false;
    }
    if (!saveCardDesign(design_, path, error))
        return false;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (absolute != path_) {
        // Artwork named relative to the design resolves against its new folder from now on.
        path_ = absolute;
        design_.folder = QFileInfo(absolute).absolutePath();
        emit pathChanged();
    }
    undo.setClean();
    return true;
}

void DesignDocument::change(const CardDesign& changed, const QString& text) {
    if (changed == design_)
        return;
    undo.push(new DesignChangeCommand(this, design_, changed, text));
}

QString DesignDocument::readBackProblem() const {
    const CardDesignResult result = parseCardDesign(cardDesignToJson(design_), design_.folder);
    return result.design ? QString() : result.error;
}

void DesignDocument::set(const CardDesign& design) {
    const QString folder = design_.folder;
    design_ = design;
    design_.folder = folder;
    emit designChanged();
}
