// BatchPage: the data file of a batch as a table, the key column first, each row marked ok or
// with its problems; a filter to the rows with problems; the selected row drawn front and back.
#pragma once

#include <carddesign/CardTemplate.h>

#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class DesignDocument;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

class BatchPage : public QWidget {
    Q_OBJECT

public:
    BatchPage(DesignDocument* document, QWidget* parent = nullptr);

    // Reads the data file; false with the reason shown on the page and returned.
    bool openData(const QString& path, QString* error = nullptr);
    const QString& dataPath() const { return path; }
    int rowCount() const { return int(records.size()); }
    // The problems of data row `row` (0-based); empty when it prints.
    QStringList rowProblems(int row) const { return problems.at(std::size_t(row)); }
    QTableWidget* table() const { return table_; }
    // The preview of the selected row: its sides, or their K planes alone.
    const QLabel* previewLabel(int side) const { return preview[side]; }
    void setKPlaneOnly(bool on);
    // Writes the jobs of the selected rows (all rows unless several are selected) into `folder`,
    // through kalyxprn batch -o; outputWritten tells the outcome.
    void exportJobsTo(const QString& folder);

signals:
    // The row the design is shown with (a null record when none).
    void rowChanged(const CardTemplateContext& context, const QString& dataFolder);
    void outputWritten(bool ok, const QString& message);

private:
    void chooseData();
    void checkRows();
    void fillTable();
    void applyFilter();
    void showRow();
    bool designSaved();
    QString selectedRows() const;
    void runCommand(const QStringList& args, const QString& what);
    void writeProof();
    void exportJobs();

    DesignDocument* document;
    QString path;
    QString folder;
    CardColumns columns;
    std::vector<CardRecord> records; // their `columns` point at the member above
    std::vector<QStringList> readProblems;
    std::vector<QStringList> problems;
    QString date;

    QLabel* fileLabel;
    QLabel* summary;
    QCheckBox* onlyProblems;
    QPushButton* proofButton;
    QPushButton* exportButton;
    QTableWidget* table_;
    QLabel* preview[2];
    QCheckBox* kPlaneOnly;
};
