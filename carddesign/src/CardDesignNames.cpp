#include "CardDesignNames.h"

const CardNameTable<CardObjectType>& cardObjectTypeNames() {
    static const CardNameTable<CardObjectType> t = {{"text", CardObjectType::Text},
                                                    {"image", CardObjectType::Image},
                                                    {"barcode", CardObjectType::Barcode},
                                                    {"rect", CardObjectType::Rect},
                                                    {"line", CardObjectType::Line}};
    return t;
}

const CardNameTable<CardInk>& cardInkNames() {
    static const CardNameTable<CardInk> t = {{"k", CardInk::K}, {"color", CardInk::Color}};
    return t;
}

const CardNameTable<CardImageFit>& cardImageFitNames() {
    static const CardNameTable<CardImageFit> t = {{"cover", CardImageFit::Cover},
                                                  {"contain", CardImageFit::Contain}};
    return t;
}

const CardNameTable<CardAlign>& cardAlignNames() {
    static const CardNameTable<CardAlign> t = {
        {"left", CardAlign::Left}, {"center", CardAlign::Center}, {"right", CardAlign::Right}};
    return t;
}

const CardNameTable<CardTextFit>& cardTextFitNames() {
    static const CardNameTable<CardTextFit> t = {{"none", CardTextFit::None},
                                                 {"shrink", CardTextFit::Shrink},
                                                 {"wrap", CardTextFit::Wrap},
                                                 {"shrinkwrap", CardTextFit::ShrinkWrap}};
    return t;
}

const CardNameTable<CardSymbology>& cardSymbologyNames() {
    static const CardNameTable<CardSymbology> t = {
        {"code128", CardSymbology::Code128},       {"code39", CardSymbology::Code39},
        {"ean13", CardSymbology::Ean13},           {"qr", CardSymbology::Qr},
        {"datamatrix", CardSymbology::DataMatrix}, {"pdf417", CardSymbology::Pdf417}};
    return t;
}
