#include "carddesign/RowChecks.h"

#include "CardTemplateVisit.h"
#include "carddesign/CardOptions.h"
#include "carddesign/CardTracks.h"

std::vector<CardRowProblem> checkCardRow(const CardDesign& design,
                                         const CardTemplateContext& context) {
    std::vector<CardRowProblem> problems;
    QStringList missingSoFar;
    forEachCardTemplate(design, [&](const CardTemplateUse& use) {
        QStringList missing;
        const QString value = expandCardTemplate(*use.text, context, &missing);
        // A column the data lacks is said once per row, where it is first used.
        for (const QString& column : missing) {
            if (missingSoFar.contains(column))
                continue;
            missingSoFar << column;
            problems.push_back(
                {use.path, QStringLiteral("no column '%1' in the data").arg(column)});
        }
        QString problem;
        if (use.kind == CardTemplateKind::Track && !value.isEmpty())
            problem = checkCardTrack(use.track, value);
        else if (use.kind == CardTemplateKind::Option && isCardTemplateVariable(*use.text))
            problem = checkCardOptionValue(use.optionKey, value);
        if (!problem.isEmpty())
            problems.push_back({use.path, problem});
    });
    return problems;
}

int cardKeyColumn(const CardColumns& columns, const QString& name) {
    if (name.isEmpty())
        return columns.names().isEmpty() ? -1 : 0;
    return columns.indexOf(name);
}

QString cardRowKey(const CardRecord& record, int keyColumn) {
    return keyColumn >= 0 ? record.values.value(keyColumn) : QString();
}
