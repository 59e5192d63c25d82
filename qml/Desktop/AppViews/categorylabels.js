.pragma library

// Puts labels ([{text, value}], ascending values) on a CategoryAxis in
// place of the ones it has. The axis' label list is read live, so it is
// emptied from the front instead of walked.
function replace(axis, labels) {
    while (axis.count > 0)
        axis.remove(axis.categoriesLabels[0])
    for (var i = 0; i < labels.length; ++i)
        axis.append(labels[i].text, labels[i].value)
}
