// The magnetic stripe page: each track decoded as ISO or JIS Type II characters with its LRC.
#include "KlxPrnTool.h"

#include "ui_KlxPrnTool.h"
#include <kalyxdocument/KlxPrnHolder.h>

void KlxPrnTool::on_iso_button_clicked() {
    fillMagTab();
}

void KlxPrnTool::on_jis_button_clicked() {
    fillMagTab();
}

void KlxPrnTool::fillMagTab() {
    if (!prnHolder)
        return;
    if (ui->iso_button->isChecked()) {
        ui->track_1_data->setText(prnHolder->trackText(1, 7));
        ui->track_1_lrc->setText(prnHolder->trackLrcText(1, 7));
        ui->track_2_data->setText(prnHolder->trackText(2, 5));
        ui->track_2_lrc->setText(prnHolder->trackLrcText(2, 5));
        ui->track_3_data->setText(prnHolder->trackText(3, 5));
        ui->track_3_lrc->setText(prnHolder->trackLrcText(3, 5));
    } else {
        ui->track_1_data->setText(prnHolder->trackText(1, 8));
        ui->track_1_lrc->setText(prnHolder->trackLrcText(1, 8));
        ui->track_2_data->clear();
        ui->track_2_lrc->clear();
        ui->track_3_data->clear();
        ui->track_3_lrc->clear();
    }
}
