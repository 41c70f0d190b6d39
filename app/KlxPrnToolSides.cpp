// The front and back pages: pictures rendered from the visible colour planes, and their export.
#include "KlxPrnTool.h"

#include "CardPictureLabel.h"
#include "ui_KlxPrnTool.h"
#include <kalyxdocument/FileReplacement.h>
#include <kalyxdocument/KlxPrnHolder.h>

#include <QFileDialog>
#include <QFileInfo>
#include <QImage>

#include <prnformat/Panels.h>

#include <utility>

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

    // The labels lend their pictures' pixels to the decoder, which writes over them when the
    // size is unchanged instead of taking new memory for every toggle.
    CardPictureLabel* const labels[2] = {ui->side1Label, ui->side2Label};
    QImage pictures[2] = {labels[0]->takePicture(), labels[1]->takePicture()};
    prnHolder->validateCard(hiddenPanels, true, pictures);

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

    for (int side = 0; side < 2; ++side)
        labels[side]->showPicture(std::move(pictures[side]));
}

// The labels show the pictures as RGB32; the files get them as the document decodes them.
void KlxPrnTool::on_export1PushButton_clicked() {
    if (prnHolder)
        exportImage(ui->side1Label->picture().convertToFormat(QImage::Format_ARGB32));
}

void KlxPrnTool::on_export2PushButton_clicked() {
    if (prnHolder)
        exportImage(ui->side2Label->picture().convertToFormat(QImage::Format_ARGB32));
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
