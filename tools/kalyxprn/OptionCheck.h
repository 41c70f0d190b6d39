// One check of an option's value against the window editor's table of options, for `set` and
// `compose --option`, and the names such a command may write.
#pragma once

#include <QString>

namespace cli {

// A plain element name: no path, no ".", "..", axis, wildcard or attribute.
bool isElementName(const QString& name);

// The option `name` of an options element `group` (card-options, panel-options with its panel
// letter, ...) set to `value`. A value the editor could not have written is refused: false with
// "LABEL: why (--force writes it anyway)" in `problem`, unless `force`. An unknown option is
// written with a warning on stderr that names the known ones; an element without options in
// the table is not checked. `label` names the option in messages as the user wrote it.
bool checkOptionValue(const QString& command, const QString& group, char panel, const QString& name,
                      const QString& label, const QString& value, bool force, QString& problem);

} // namespace cli
