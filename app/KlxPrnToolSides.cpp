// The front and back pages: pictures rendered from the visible colour planes, and their export.
#include "KlxPrnTool.h"

#include "ui_KlxPrnTool.h"
#include <kalyxdocument/FileReplacement.h>
#include <kalyxdocument/KlxPrnHolder.h>

#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>

#include <prnformat/Panels.h>

namespace {

// Every pixel of a side picture is opaque, so it can be shown as RGB32 and handed over without
// the premultiplying pass an ARGB32 image costs on its way into a pixmap.
QPixmap opaquePixmap(QImage image) {
    if (image.format() == QImage::Format_ARGB32)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return QPixmap::fromImage(std::move(image));
}

} // namespace

void KlxPrnTool::on_check_box_y1_toggled() {
    refreshImages();
}
void KlxPrnTool::on_check_box_m1_toggled() {
    refreshImages();
}
void KlxPrnTool::on_check_box_c1_toggled() {
    refreshImages();
}
void KlxPrnTool::on_check_box_k1_toggled() {
    refreshImages();
}
void KlxPrnTool::on_check_box_y2_toggled() {
    refreshImages();
}
void KlxPrnTool::on_check_box_m2_toggled() {
    refreshImages();
}
void KlxPrnTool::on_check_box_c2_toggled() {
    refreshImages();
}
void KlxPrnTool::on_check_box_k2_toggled() {
    refreshImages();
}

void KlxPrnTool::refreshImages() {
    if (!prnHolder)
        return;

    const QCheckBox* const boxes[2][4] = {
        {ui->check_box_y1, ui->check_box_m1, ui->check_box_c1, ui->check_box_k1},
        {ui->check_box_y2, ui->check_box_m2, ui->check_box_c2, ui->check_box_k2},
    };
    std::string hiddenPanels[2];
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 4; ++i) {
            if (!boxes[side][i]->isChecked())
                hiddenPanels[side] += Orvane::kPanelLetters[i];
        }
    }

    prnHolder->validateCard(hiddenPanels, true);

    // Only the front label follows the card size; the back one stays 1013 x 642 and scales its
    // picture. Both shrink with the window, keeping the aspect.
    const int width = static_cast<int>(prnHolder->cardWidth());
    const int height = static_cast<int>(prnHolder->cardHeight());
    if (width > 0 && height > 0) {
        ui->side1Label->setMaximumSize(width, height);
        ui->side1Label->setMinimumSize(0, 0);
        ui->side1Label->updateGeometry();
    }

    updateActions(); // the export buttons follow the boxes

    ui->side1Label->setPixmap(opaquePixmap(prnHolder->sideImage(0)));
    ui->side2Label->setPixmap(opaquePixmap(prnHolder->sideImage(1)));
}

void KlxPrnTool::on_export1PushButton_clicked() {
    if (prnHolder)
        exportImage(prnHolder->sideImage(0));
}

void KlxPrnTool::on_export2PushButton_clicked() {
    if (prnHolder)
        exportImage(prnHolder->sideImage(1));
}

void KlxPrnTool::exportImage(const QImage& image) {
    const QString name = QFileDialog::getSaveFileName(
        this, tr("Choose image file"), fileDialogDirName,
        tr("Image files (*.bmp *.gif *.jpg *.jpeg *.png *.pbm *.pgm *.ppm *tif *.tiff *.xbm "
           "*.xpm)"));
    if (name.isEmpty())
        return;
    fileDialogDirName = QFileInfo(name).absolutePath();
    // Through a complete file renamed over the old picture: a full disk leaves it as it was.
    QString reason;
    if (!kalyxfile::replaceImage(name, image, reason))
        showError(tr("Couldn't save image."));
}
