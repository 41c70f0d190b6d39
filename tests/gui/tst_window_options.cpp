// The options tree and field editing, checked through what the tree shows and what Save writes.
#include "KlxPrnTool.h"
#include "WindowTestSupport.h"
#include <kalyxdocument/KlxPrnHolder.h>

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QColor red(224, 0, 0);
const QColor black(0, 0, 0);

// A card of 506 x 2 dots keeps the planes small.
const QByteArray cardXml =
    "<card-options><num-copies>3</num-copies><width>506</width><height>2</height></card-options>"
    "<side-options side=\"0\">"
    "<panel-options panel=\"y\"><power-adjust>7</power-adjust></panel-options>"
    "<panel-options panel=\"c\"><x-density>300</x-density></panel-options>"
    "<panel-options panel=\"k\">"
    "<area><x>1</x><y>2</y><width>3</width><height>4</height></area>"
    "<area><x>5</x><y>6</y><width>7</width></area>"
    "<hole><x>0</x><y>0</y><width>1</width><height>1</height></hole>"
    "</panel-options>"
    "<panel-options panel=\"o\"/>"
    "</side-options>"
    "<mag-options><coercivity>low</coercivity>"
    "<track-options track=\"1\"><num-bits>14</num-bits><bpi>210</bpi></track-options>"
    "</mag-options>"
    // Checked by nothing at load (only the first mag-options is validated), shown by the tree.
    "<mag-options><track-options track=\"3\"><num-bits>8</num-bits></track-options></mag-options>";

QTreeWidgetItem* findChildRow(QTreeWidgetItem* parent, const QString& step) {
    // "name", "name:value" or "name#n" (the n-th row of that name, from 1).
    QString name = step, value;
    int nth = 1;
    bool byValue = false;
    if (step.contains(QLatin1Char(':'))) {
        name = step.section(QLatin1Char(':'), 0, 0);
        value = step.section(QLatin1Char(':'), 1);
        byValue = true;
    } else if (step.contains(QLatin1Char('#'))) {
        name = step.section(QLatin1Char('#'), 0, 0);
        nth = step.section(QLatin1Char('#'), 1).toInt();
    }
    for (int i = 0; i < parent->childCount(); ++i) {
        QTreeWidgetItem* c = parent->child(i);
        if (c->text(0) != name || (byValue && c->text(1) != value))
            continue;
        if (--nth == 0)
            return c;
    }
    return nullptr;
}

// What an input dialog showed when it opened; compared after it has closed, so a failed check
// never leaves a dialog open.
struct InputSeen {
    QString title, label, text;
    int minimum = 0, maximum = 0, value = 0;
    QStringList items;
    bool editable = true;
};

std::unique_ptr<ModalAnswer> answerInput(InputSeen& seen, std::function<void(QInputDialog*)> act) {
    return ModalAnswer::expect<QInputDialog>([&seen, act](QInputDialog* d) {
        seen = {d->windowTitle(), d->labelText(), d->textValue(),     d->intMinimum(),
                d->intMaximum(),  d->intValue(),  d->comboBoxItems(), d->isComboBoxEditable()};
        act(d);
    });
}

void acceptInt(QInputDialog* d, int value) {
    d->setIntValue(value);
    d->accept();
}

} // namespace

class tst_WindowOptions : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString jobPath;
    std::unique_ptr<KlxPrnTool> w;
    QTreeWidget* tree = nullptr;

    QTreeWidgetItem* row(const QString& path) const {
        QTreeWidgetItem* item = tree->invisibleRootItem();
        for (const QString& step : path.split(QLatin1Char('/'))) {
            item = item ? findChildRow(item, step) : nullptr;
        }
        return item;
    }

    void activate(QTreeWidgetItem* item) {
        tree->setCurrentItem(item);
        QTest::keyClick(tree, Qt::Key_Return);
    }

    // What Save writes now, loaded back.
    std::unique_ptr<KlxPrnHolder> saved() {
        const QString path = dir.filePath(QStringLiteral("saved.prn"));
        QFile::remove(path);
        if (!klxSaveAs(*w, path))
            return nullptr;
        auto holder = std::make_unique<KlxPrnHolder>(path);
        return holder->isValid() ? std::move(holder) : nullptr;
    }

    qint64 sideLabelPixmapKey() const {
        return w->findChild<QLabel*>(QStringLiteral("side1Label"))
            ->pixmap(Qt::ReturnByValue)
            .cacheKey();
    }

    static QColor valueColour(QTreeWidgetItem* item) { return item->foreground(1).color(); }
    static bool isDefaultColoured(QTreeWidgetItem* item) {
        return item->foreground(1).style() == Qt::SolidPattern && valueColour(item) == red;
    }
    static bool isEditedColoured(QTreeWidgetItem* item) {
        return item->foreground(1).style() == Qt::SolidPattern && valueColour(item) == black;
    }
    static bool isPlain(QTreeWidgetItem* item) {
        return item->foreground(1).style() == Qt::NoBrush;
    }
    static bool enabled(QTreeWidgetItem* item) { return item->flags() & Qt::ItemIsEnabled; }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        const int width = 506, height = 2;
        jobPath = dir.filePath(QStringLiteral("options.prn"));
        const QByteArray binary = QByteArray("\x81\x40", 2) + klxPlane(width, height, 10) +
                                  klxPlane(width, height, 20) + klxPlane(width, height, 30);
        QVERIFY(kalyxtest::writeFile(jobPath, klxJob(klxHeader(cardXml, binary.size()), binary)));
    }

    void init() {
        klxSetCommandLine({jobPath});
        w = std::make_unique<KlxPrnTool>();
        tree = w->findChild<QTreeWidget*>(QStringLiteral("prn_tree_widget"));
        QVERIFY(tree);
        QVERIFY(row(QStringLiteral("prn/card")));
    }

    void cleanup() { w.reset(); }

    void treeShowsValuesDefaultsAndEditability() {
        QCOMPARE(tree->columnCount(), 2);
        QCOMPARE(tree->topLevelItemCount(), 1);

        QTreeWidgetItem* binarySize = row(QStringLiteral("prn/binary-size"));
        QCOMPARE(binarySize->text(1), QStringLiteral("3038"));
        QVERIFY(!enabled(binarySize));

        QTreeWidgetItem* copies = row(QStringLiteral("prn/card/card-options/num-copies"));
        QCOMPARE(copies->text(1), QStringLiteral("3"));
        QVERIFY(isPlain(copies));
        QVERIFY(enabled(copies));
        QCOMPARE(copies->text(2), QStringLiteral("uint"));
        QCOMPARE(copies->text(3), QStringLiteral("/prn/card/card-options"));
        QCOMPARE(copies->text(4), QStringLiteral("1"));
        QCOMPARE(copies->text(5), QStringLiteral("2147483647"));

        QTreeWidgetItem* format = row(QStringLiteral("prn/card/card-options/image-format"));
        QCOMPARE(format->text(1), QStringLiteral("orvane"));
        QVERIFY(isDefaultColoured(format));
        QVERIFY(!enabled(format));
        QVERIFY(isDefaultColoured(row(QStringLiteral("prn/card/card-options/pre-rotate"))));
        QCOMPARE(row(QStringLiteral("prn/card/card-options/width"))->text(1),
                 QStringLiteral("506"));

        // Only side 0 is described.
        QTreeWidgetItem* card = row(QStringLiteral("prn/card"));
        QStringList sides;
        for (int i = 0; i < card->childCount(); ++i)
            if (card->child(i)->text(0) == QLatin1String("side-options"))
                sides << card->child(i)->text(1);
        QCOMPARE(sides, QStringList{QStringLiteral("0")});

        QTreeWidgetItem* density =
            row(QStringLiteral("prn/card/side-options:0/panel-options:y/x-density"));
        QCOMPARE(density->text(1), QStringLiteral("300"));
        QVERIFY(isDefaultColoured(density));
        QVERIFY(!enabled(density));
        QTreeWidgetItem* power =
            row(QStringLiteral("prn/card/side-options:0/panel-options:y/power-adjust"));
        QCOMPARE(power->text(4), QStringLiteral("-32768"));
        QCOMPARE(power->text(5), QStringLiteral("32767"));

        // Watermark rows: defaults on the overlay, nothing on a colour panel that lacks them.
        QVERIFY(!row(QStringLiteral("prn/card/side-options:0/panel-options:c/watermark-index")));
        for (const char* name :
             {"watermark-index", "watermark-rotation", "watermark-tamper-veil"}) {
            QTreeWidgetItem* mark = row(QStringLiteral("prn/card/side-options:0/panel-options:o/") +
                                        QLatin1String(name));
            QVERIFY2(mark && isDefaultColoured(mark) && enabled(mark), name);
        }
        QCOMPARE(
            row(QStringLiteral("prn/card/side-options:0/panel-options:o/watermark-tamper-veil"))
                ->text(1),
            QStringLiteral("false"));

        // Two areas in document order, each with its own values; a missing child is empty and
        // plain.
        QCOMPARE(row(QStringLiteral("prn/card/side-options:0/panel-options:k/area#1/y"))->text(1),
                 QStringLiteral("2"));
        QCOMPARE(row(QStringLiteral("prn/card/side-options:0/panel-options:k/area#2/y"))->text(1),
                 QStringLiteral("6"));
        QTreeWidgetItem* missingHeight =
            row(QStringLiteral("prn/card/side-options:0/panel-options:k/area#2/height"));
        QCOMPARE(missingHeight->text(1), QString());
        QVERIFY(isPlain(missingHeight));
        QCOMPARE(missingHeight->text(5), QStringLiteral("641"));
        QVERIFY(row(QStringLiteral("prn/card/side-options:0/panel-options:k/hole/width")));

        // A group is enabled exactly when an option row lies beneath it.
        QVERIFY(enabled(row(QStringLiteral("prn/card/mag-options"))));
        QTreeWidgetItem* track1 = row(QStringLiteral("prn/card/mag-options/track-options:1"));
        QVERIFY(!enabled(track1));
        QCOMPARE(track1->child(0)->text(1), QStringLiteral("14"));
        QTreeWidgetItem* bpi = row(QStringLiteral("prn/card/mag-options/track-options:3/bpi"));
        QCOMPARE(bpi->text(1), QStringLiteral("ERROR"));
        QVERIFY(isDefaultColoured(bpi));

        // Everything expanded, column 0 wide enough for its widest entry.
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            QVERIFY((*it)->childCount() == 0 || (*it)->isExpanded());
        QVERIFY(tree->columnWidth(0) >=
                static_cast<QAbstractItemView*>(tree)->sizeHintForColumn(0));
    }

    void integerEditorWritesInRangeAndInBlack() {
        QTreeWidgetItem* copies = row(QStringLiteral("prn/card/card-options/num-copies"));
        InputSeen seen;
        auto answer = answerInput(seen, [](QInputDialog* d) { acceptInt(d, 5); });
        activate(copies);
        QVERIFY(answer->fired());
        QCOMPARE(seen.title, QStringLiteral("num-copies"));
        QCOMPARE(seen.label, QStringLiteral("New value:"));
        QCOMPARE(seen.minimum, 1);
        QCOMPARE(seen.maximum, 2147483647);
        QCOMPARE(seen.value, 3);
        QCOMPARE(copies->text(1), QStringLiteral("5"));
        QVERIFY(isEditedColoured(copies));

        QTreeWidgetItem* power =
            row(QStringLiteral("prn/card/side-options:0/panel-options:y/power-adjust"));
        // Beyond the range: the dialog keeps it within.
        answer = answerInput(seen, [](QInputDialog* d) { acceptInt(d, -40000); });
        activate(power);
        QVERIFY(answer->fired());
        QCOMPARE(seen.minimum, -32768);
        QCOMPARE(seen.maximum, 32767);
        QCOMPARE(seen.value, 7);
        QCOMPARE(power->text(1), QStringLiteral("-32768"));

        // A value beyond 32 bits starts at the nearer bound instead of wrapping.
        copies->setText(1, QStringLiteral("99999999999"));
        answer = answerInput(seen, [](QInputDialog* d) { d->reject(); });
        activate(copies);
        QVERIFY(answer->fired());
        QCOMPARE(seen.value, 2147483647);
        power->setText(1, QStringLiteral("-99999999999"));
        answer = answerInput(seen, [](QInputDialog* d) { d->reject(); });
        activate(power);
        QVERIFY(answer->fired());
        QCOMPARE(seen.value, -32768);

        auto job = saved();
        QVERIFY(job);
        QCOMPARE(job->nodeText("/prn/card/card-options/num-copies"), QStringLiteral("5"));
        QCOMPARE(
            job->nodeText("/prn/card/side-options[@side=0]/panel-options[@panel='y']/power-adjust"),
            QStringLiteral("-32768"));
    }

    void listEditorPreselectsAndAppendsMissingElements() {
        QTreeWidgetItem* preRotate = row(QStringLiteral("prn/card/card-options/pre-rotate"));
        InputSeen seen;
        auto answer = answerInput(seen, [](QInputDialog* d) {
            d->setTextValue(QStringLiteral("true"));
            d->accept();
        });
        activate(preRotate);
        QVERIFY(answer->fired());
        QCOMPARE(seen.title, QStringLiteral("pre-rotate"));
        QCOMPARE(seen.label, QStringLiteral("New value:"));
        QCOMPARE(seen.items, QStringList({QStringLiteral("false"), QStringLiteral("true")}));
        QCOMPARE(seen.text, QStringLiteral("false"));
        QVERIFY(!seen.editable);
        QCOMPARE(preRotate->text(1), QStringLiteral("true"));
        QVERIFY(isEditedColoured(preRotate));

        QTreeWidgetItem* coercivity = row(QStringLiteral("prn/card/mag-options/coercivity"));
        answer = answerInput(seen, [](QInputDialog* d) {
            d->setTextValue(QStringLiteral("mid"));
            d->accept();
        });
        activate(coercivity);
        QVERIFY(answer->fired());
        QCOMPARE(seen.items, QStringList({QStringLiteral("high"), QStringLiteral("mid"),
                                          QStringLiteral("low")}));
        QCOMPARE(seen.text, QStringLiteral("low"));

        // The comparison is exact: a value in capitals preselects the first choice.
        coercivity->setText(1, QStringLiteral("LOW"));
        answer = answerInput(seen, [](QInputDialog* d) { d->reject(); });
        activate(coercivity);
        QVERIFY(answer->fired());
        QCOMPARE(seen.text, QStringLiteral("high"));

        auto job = saved();
        QVERIFY(job);
        const pugi::xpath_node_set options = job->selectNodes("/prn/card/card-options/*");
        QCOMPARE(QString::fromUtf8(options[options.size() - 1].node().name()),
                 QStringLiteral("pre-rotate"));
        QCOMPARE(job->nodeText("/prn/card/card-options/pre-rotate"), QStringLiteral("true"));
        QCOMPARE(job->nodeText("/prn/card/mag-options/coercivity"), QStringLiteral("mid"));
    }

    void editingTheSecondAreaChangesOnlyIt() {
        QTreeWidgetItem* y2 =
            row(QStringLiteral("prn/card/side-options:0/panel-options:k/area#2/y"));
        InputSeen seen;
        auto answer = answerInput(seen, [](QInputDialog* d) { acceptInt(d, 9); });
        activate(y2);
        QVERIFY(answer->fired());
        QCOMPARE(seen.maximum, 641);
        QCOMPARE(seen.value, 6);
        // A missing coordinate is appended to that same rectangle.
        QTreeWidgetItem* h2 =
            row(QStringLiteral("prn/card/side-options:0/panel-options:k/area#2/height"));
        answer = answerInput(seen, [](QInputDialog* d) { acceptInt(d, 1); });
        activate(h2);
        QVERIFY(answer->fired());
        QCOMPARE(seen.value, 0);

        auto job = saved();
        QVERIFY(job);
        const std::string areas = "/prn/card/side-options[@side=0]/panel-options[@panel='k']/area";
        QCOMPARE(job->nodeText(areas + "[1]/y"), QStringLiteral("2"));
        QCOMPARE(job->nodeText(areas + "[1]/height"), QStringLiteral("4"));
        QCOMPARE(job->nodeText(areas + "[2]/y"), QStringLiteral("9"));
        QCOMPARE(job->nodeText(areas + "[2]/height"), QStringLiteral("1"));
    }

    // Every row with rows of its own starts open; so many rectangles that opening them all would
    // cost hundreds of megabytes start folded, their values still in place.
    void manyRectanglesStartFolded() {
        const QTreeWidgetItem* k = row(QStringLiteral("prn/card/side-options:0/panel-options:k"));
        QVERIFY(k->isExpanded() && k->child(k->childCount() - 1)->isExpanded());

        QByteArray holes;
        for (int i = 0; i < 10000; ++i)
            holes += "<hole><x>" + QByteArray::number(i % 500) + "</x></hole>";
        const QByteArray binary = QByteArray("\x81\x40", 2) + klxPlane(506, 2, 10) +
                                  klxPlane(506, 2, 20) + klxPlane(506, 2, 30);
        const QString many = dir.filePath(QStringLiteral("many.prn"));
        QVERIFY(kalyxtest::writeFile(
            many, klxJob(klxHeader(QByteArray(cardXml).replace("<hole>", holes + "<hole>"),
                                   binary.size()),
                         binary)));
        klxSetCommandLine({many});
        w = std::make_unique<KlxPrnTool>();
        tree = w->findChild<QTreeWidget*>(QStringLiteral("prn_tree_widget"));
        k = row(QStringLiteral("prn/card/side-options:0/panel-options:k"));
        QVERIFY(k && k->isExpanded());
        const QTreeWidgetItem* hole =
            row(QStringLiteral("prn/card/side-options:0/panel-options:k/hole#10000"));
        QVERIFY(hole && !hole->isExpanded());
        QCOMPARE(hole->child(0)->text(1), QStringLiteral("499"));
        QVERIFY(row(QStringLiteral("prn/card/mag-options/track-options:1"))->isExpanded());
    }

    void cancelWritesNothingButRedraws() {
        QTreeWidgetItem* copies = row(QStringLiteral("prn/card/card-options/num-copies"));
        const qint64 before = sideLabelPixmapKey();
        InputSeen seen;
        auto answer = answerInput(seen, [](QInputDialog* d) {
            d->setIntValue(8);
            d->reject();
        });
        activate(copies);
        QVERIFY(answer->fired());
        QCOMPARE(copies->text(1), QStringLiteral("3"));
        QVERIFY(isPlain(copies));
        QVERIFY(sideLabelPixmapKey() != before);
        auto job = saved();
        QVERIFY(job);
        QCOMPARE(job->nodeText("/prn/card/card-options/num-copies"), QStringLiteral("3"));
    }

    void rowsWithoutEditTypeShowInformation() {
        MessageBoxLog boxes;
        activate(row(QStringLiteral("prn/card/side-options:0")));
        // Read-only rows are disabled, so only the slot itself can be asked about them.
        emit tree->itemActivated(
            row(QStringLiteral("prn/card/side-options:0/panel-options:y/x-density")), 0);
        QTRY_COMPARE(boxes.boxes().size(), size_t(2));
        QCOMPARE(boxes.boxes()[0].title, QStringLiteral("Field information"));
        QCOMPARE(boxes.texts(), QStringList({QStringLiteral("side-options\n\n0"),
                                             QStringLiteral("x-density\n\n300")}));
        QCOMPARE(boxes.boxes()[0].icon, QMessageBox::Information);
    }
};

KLX_WINDOW_TEST_MAIN(tst_WindowOptions)
#include "tst_window_options.moc"
