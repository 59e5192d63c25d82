.pragma library

// The fields of an editor: every item below `item` that marks itself as an
// editor field, in item-tree order.
function fieldsIn(item) {
    const found = []
    collect(item, found)
    return found
}

function collect(item, found) {
    if (!item)
        return
    if (item.visible === false)
        return
    if (item.editorField === true) {
        found.push(item)
        return
    }
    for (let i = 0; i < item.children.length; ++i)
        collect(item.children[i], found)
}
