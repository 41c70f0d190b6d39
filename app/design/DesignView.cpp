#include "DesignView.h"

#include "BatchPage.h"
#include "DesignDocument.h"
#include "DesignPage.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QUndoStack>

DesignView::DesignView(QWidget* parent)
    : QTabWidget(parent), document_(new DesignDocument(this)),
      designPage_(new DesignPage(document_)), batchPage_(new BatchPage(document_)) {
    setObjectName(QStringLiteral("designView"));
    setAccessibleName(tr("Card design"));
    addTab(designPage_, tr("Design"));
    addTab(batchPage_, tr("Batch"));
    connect(batchPage_, &BatchPage::rowChanged, designPage_, &DesignPage::setRow);
    connect(document_, &DesignDocument::pathChanged, this, &DesignView::updateTitle);
    connect(document_->undoStack(), &QUndoStack::cleanChanged, this, &DesignView::updateTitle);
}

bool DesignView::isDesignFile(const QString& path) {
    return path.endsWith(QStringLiteral(".card.json"), Qt::CaseInsensitive);
}

bool DesignView::open(const QString& path, QString& error) {
    if (!document_->load(path, error))
        return false;
    designPage_->select(-1, -1);
    setCurrentWidget(designPage_);
    return true;
}

bool DesignView::maybeClose() {
    if (!document_->isModified())
        return true;
    const auto answer = QMessageBox::question(
        this, tr("Unsaved changes"),
        tr("The design %1 has changes that are not saved. Save them?")
            .arg(QFileInfo(document_->path()).fileName()),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return designPage_->save();
    return answer == QMessageBox::Discard;
}

void DesignView::updateTitle() {
    emit titleChanged(document_->path() +
                      (document_->isModified() ? QStringLiteral(" *") : QString()));
}
