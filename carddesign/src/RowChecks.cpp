#include "carddesign/RowChecks.h"

std::vector<CardRowProblem> checkCardRow(const CardDesign&, const CardTemplateContext&) {
    return {};
}
QString cardRowKey(const CardRecord& record, int keyColumn) {
    return keyColumn >= 0 && keyColumn < record.values.size() ? record.values.at(keyColumn)
                                                              : QString();
}
