// DesignView: what the window shows while a card design is open, in place of a job's pages:
// the Design page and the Batch page.
#pragma once

#include <QTabWidget>

class BatchPage;
class DesignDocument;
class DesignPage;

class DesignView : public QTabWidget {
    Q_OBJECT

public:
    explicit DesignView(QWidget* parent = nullptr);

    // True when `path` names a card design rather than a job.
    static bool isDesignFile(const QString& path);

    // Opens the design in `path`, replacing the open one; false with the reader's message.
    bool open(const QString& path, QString& error);
    // Asks about unsaved changes: true when the design may be closed (saved or given up).
    bool maybeClose();

    DesignDocument* document() const { return document_; }
    DesignPage* designPage() const { return designPage_; }
    BatchPage* batchPage() const { return batchPage_; }

signals:
    void titleChanged(const QString& title);

private:
    void updateTitle();

    DesignDocument* document_;
    DesignPage* designPage_;
    BatchPage* batchPage_;
};
