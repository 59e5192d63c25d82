import QtQuick 2.15
import QtTest 1.15
import QtQuick.Controls 2.15
import PCR.Program 1.0
import Common.AppStyle 1.0
import Common.Utility 1.0
import Utils 1.0

// The protocol editors as a user meets them: typing into their fields,
// saving, closing, and the flex editor's step list, over the real core.
Item {
    id: root
    width: 1280
    height: 768

    function openEditor(test, file, properties) {
        const component = Qt.createComponent("qrc:/qml/Desktop/AppDialogs/Views/" + file)
        test.compare(component.status, Component.Ready, component.errorString())
        const dialog = test.createTemporaryObject(component, root, properties || {})
        test.verify(dialog, file)
        // The step list is laid out when the window is next polished; the
        // fixed-height linear-ramp editor does not grow.
        test.tryVerify(function() {
            return dialog.steps.count === 0 || dialog.growth > 30
                    || dialog.programType === ProgramType.PT_LINEAR_RAMP
        }, 5000)
        return dialog
    }

    // The i-th field of a kind inside an item, in item-tree order.
    function fieldsOf(item, predicate) {
        const found = []
        const walk = function(node) {
            if (!node)
                return
            if (node.editorField === true && node.visible && predicate(node))
                found.push(node)
            for (let i = 0; i < node.children.length; ++i)
                walk(node.children[i])
        }
        walk(item)
        return found
    }
    function fieldWithKey(item, key) {
        return fieldsOf(item, function(field) { return field.key === key })[0]
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    TestCase {
        id: fields
        name: "EditorFields"
        when: windowShown

        function spyOn(target, signalName) {
            return createTemporaryObject(spyComponent, root, {target: target, signalName: signalName})
        }
        function typeInto(field, text) {
            field.forceActiveFocus()
            field.selectAll()
            keyClick(Qt.Key_Delete)
            for (let i = 0; i < text.length; ++i)
                keyClick(text[i])
        }
        // Adds a step and waits until its first field has the focus.
        function addStep(dialog, kind) {
            const count = dialog.steps.count
            dialog.addStep(kind)
            if (dialog.steps.count === count)
                return false
            tryVerify(function() {
                const step = dialog.stepList.delegateAt(count)
                return step && step.view && step.view.firstField.activeFocus
            }, 2000)
            return true
        }
        function leave(dialog) {
            dialog.nameField.forceActiveFocus()
        }

        function test_name_data() {
            return [
                {tag: "24 letters", typed: "abcdefghijklmnopqrstuvwx", kept: "abcdefghijklmnopqrstuvwx"},
                {tag: "25th letter refused", typed: "abcdefghijklmnopqrstuvwxy", kept: "abcdefghijklmnopqrstuvwx"}
            ]
        }
        function test_name(data) {
            const dialog = root.openEditor(fields, "PcrDialog.qml")
            typeInto(dialog.nameField, data.typed)
            compare(dialog.nameField.text, data.kept)
        }

        function test_nameOfTwoByteCharactersCutAt12() {
            const dialog = root.openEditor(fields, "PcrDialog.qml")
            dialog.nameField.text = "\u00e9".repeat(13)
            compare(dialog.nameField.text, "\u00e9".repeat(12))
        }

        function test_emptyNameBecomesUniqueOnLeaving() {
            const dialog = root.openEditor(fields, "PcrDialog.qml")
            typeInto(dialog.nameField, " ")
            leave(root.openEditor(fields, "HeatBlockDialog.qml"))
            verify(dialog.nameField.text.length > 0)
            verify(dialog.nameField.valid)
        }

        function test_temperature_data() {
            return [
                {tag: "24.9", typed: "24.9", shown: "24.9", valid: false,
                 message: "Temperatures below 25 \u00BAC cannot be programmed."},
                {tag: "99.1", typed: "99.1", shown: "99.1", valid: false,
                 message: "The form is filled incorrectly. Please correct the highlighted fields."},
                {tag: "99", typed: "99", shown: "99.0", valid: true, message: ""},
                {tag: "comma at the end", typed: "72,5", shown: "72.5", valid: true, message: ""},
                {tag: "fifth character", typed: "72.55", shown: "72.5", valid: true, message: ""},
                {tag: "letters", typed: "a7b2", shown: "72.0", valid: true, message: ""}
            ]
        }
        function test_temperature(data) {
            const dialog = root.openEditor(fields, "PcrDialog.qml")
            const field = root.fieldWithKey(dialog, PCRConst.annealingTemp)
            typeInto(field, data.typed)
            leave(dialog)
            compare(field.text, data.shown)
            compare(field.valid, data.valid)
            const warned = spyOn(dialog, "warningShown")
            const saved = dialog.saveProtocol()
            compare(saved !== PCRConst.nullID, data.valid)
            if (!data.valid)
                compare(warned.signalArguments[0][0], data.message)
        }

        function test_invalidFieldIsRed() {
            const dialog = root.openEditor(fields, "PcrDialog.qml")
            const field = root.fieldWithKey(dialog, PCRConst.denaturationTemp)
            typeInto(field, "100")
            verify(!field.valid)
            tryVerify(function() { return Qt.colorEqual(field.background.color, "#DC2F58") }, 2000)
            typeInto(field, "95")
            tryVerify(function() { return Qt.colorEqual(field.background.color, AppStyle.windowBackgroundColor) }, 2000)
        }

        function test_time_data() {
            return [
                {tag: "9999", typed: "9999", shown: "9999", valid: true},
                {tag: "fifth digit refused", typed: "12345", shown: "1234", valid: true},
                {tag: "leading zero refused", typed: "05", shown: "5", valid: true},
                {tag: "zero refused", typed: "0", shown: "", valid: false}
            ]
        }
        function test_time(data) {
            const dialog = root.openEditor(fields, "PcrDialog.qml")
            const field = root.fieldWithKey(dialog, PCRConst.extensionTime)
            typeInto(field, data.typed)
            compare(field.text, data.shown)
            compare(field.valid, data.valid)
        }

        function test_cycles_data() {
            return [
                {tag: "PCR takes 1", kind: "PCR", typed: "1", valid: true},
                {tag: "touchdown refuses 1", kind: "Touchdown", typed: "1", valid: false},
                {tag: "touchdown takes 2", kind: "Touchdown", typed: "2", valid: true},
                {tag: "third digit refused", kind: "PCR", typed: "991", valid: true},
                {tag: "zero", kind: "PCR", typed: "0", valid: false}
            ]
        }
        function test_cycles(data) {
            const dialog = root.openEditor(fields, "FlexDialog.qml")
            addStep(dialog, data.kind)
            const field = root.fieldWithKey(dialog, PCRConst.cyclesNum)
            typeInto(field, data.typed)
            compare(field.valid, data.valid)
        }

        function test_holdTime_data() {
            return [
                {tag: "166:39:00", parts: ["166", "39", "00"], valid: true, seconds: 599940},
                {tag: "166:39:01", parts: ["166", "39", "01"], valid: false},
                {tag: "0:00:00", parts: ["0", "00", "00"], valid: false},
                {tag: "1 s", parts: ["0", "00", "01"], valid: true, seconds: 1},
                {tag: "60 minutes", parts: ["0", "60", "00"], valid: false}
            ]
        }
        function test_holdTime(data) {
            const dialog = root.openEditor(fields, "HeatBlockDialog.qml")
            const time = root.fieldWithKey(dialog, PCRConst.time)
            typeInto(time.hoursField, data.parts[0])
            typeInto(time.minutesField, data.parts[1])
            typeInto(time.secondsField, data.parts[2])
            compare(time.valid, data.valid)
            leave(dialog)
            if (data.valid) {
                verify(dialog.saveProtocol() !== PCRConst.nullID)
                compare(dialog.steps.value(0, PCRConst.time), data.seconds)
            }
        }

        function test_holdTimeShowsTwoDigitsAndTabsRound() {
            const dialog = root.openEditor(fields, "HeatBlockDialog.qml")
            const time = root.fieldWithKey(dialog, PCRConst.time)
            typeInto(time.hoursField, "5")
            keyClick(Qt.Key_Tab)
            verify(time.minutesField.activeFocus)
            compare(time.hoursField.text, "05")
            keyClick(Qt.Key_Tab)
            verify(time.secondsField.activeFocus)
            keyClick(Qt.Key_Tab)
            verify(time.hoursField.activeFocus)
        }

        function test_heatBlockSlider() {
            const dialog = root.openEditor(fields, "HeatBlockDialog.qml")
            const time = root.fieldWithKey(dialog, PCRConst.time)
            typeInto(time.hoursField, "4")
            const sliders = fieldsOfType(dialog, "minutesMoved")
            compare(sliders.length, 1)
            compare(sliders[0].value, 180)
            verify(sliders[0].beyond)
            sliders[0].minutesMoved(45)
            compare(time.hoursField.text, "00")
            compare(time.minutesField.text, "45")
            compare(time.secondsField.text, "00")
        }

        function test_heatBlockPresets() {
            const dialog = root.openEditor(fields, "HeatBlockDialog.qml")
            const temperature = root.fieldWithKey(dialog, PCRConst.startTemp)
            const presets = itemsWith(dialog, "selected")
            compare(presets.length, 6)
            compare(presets.map(function(p) { return p.text }).join("|"),
                    "37 \u00BAC|42 \u00BAC|55 \u00BAC|65 \u00BAC|72 \u00BAC|95 \u00BAC")
            verify(presets[0].selected)
            typeInto(temperature, "65.5")
            verify(presets[3].selected)
            verify(!presets[0].selected)
            mouseClick(presets[5])
            compare(temperature.text, "95.0")
            compare(dialog.steps.value(0, PCRConst.startTemp), 95)
            typeInto(temperature, "65.5")
            leave(dialog)
            compare(dialog.steps.value(0, PCRConst.startTemp), 65.5)
        }

        function test_linearRampSlider() {
            const dialog = root.openEditor(fields, "LinearRampDialog.qml")
            const minutes = root.fieldWithKey(dialog, PCRConst.time)
            compare(minutes.text, "60")
            typeInto(minutes, "200")
            const slider = fieldsOfType(dialog, "minutesMoved")[0]
            compare(slider.value, 180)
            verify(slider.beyond)
            slider.minutesMoved(60)
            verify(!slider.beyond)
            compare(minutes.text, "60")
            verify(dialog.saveProtocol() !== PCRConst.nullID)
            compare(dialog.steps.value(0, PCRConst.time), 3600)
            typeInto(minutes, "9")
            verify(!minutes.valid)
        }

        function test_linearRampShowsStoredLimitsOutsideRange() {
            const id = PcrCore.addProgram("Ramp out of range",
                '[{"objectType":"Linear Ramp","startTemp":10,"finalTemp":120,"time":1200}]',
                ProgramType.PT_LINEAR_RAMP)
            const dialog = root.openEditor(fields, "LinearRampDialog.qml", {protocolId: id})
            compare(root.fieldWithKey(dialog, PCRConst.startTemp).text, "25.0")
            compare(root.fieldWithKey(dialog, PCRConst.finalTemp).text, "99.0")
            compare(root.fieldWithKey(dialog, PCRConst.time).text, "20")
            PcrCore.deleteProgram(id)
        }

        // Items below `item` that have a property or signal handler of this name.
        function itemsWith(item, property) {
            const found = []
            const walk = function(node) {
                if (!node)
                    return
                if (node[property] !== undefined && node.text !== undefined)
                    found.push(node)
                for (let i = 0; i < node.children.length; ++i)
                    walk(node.children[i])
            }
            walk(item)
            return found
        }
        function fieldsOfType(item, signalName) {
            const found = []
            const walk = function(node) {
                if (!node)
                    return
                if (typeof node[signalName] === "function" && node.beyond !== undefined)
                    found.push(node)
                for (let i = 0; i < node.children.length; ++i)
                    walk(node.children[i])
            }
            walk(item)
            return found
        }
    }

    TestCase {
        id: flex
        name: "FlexEditor"
        when: windowShown

        function addStep(dialog, kind) { return fields.addStep(dialog, kind) }
        function addButton(dialog, kind) {
            return findChild(dialog.addButtons, "add" + kind.replace(" ", ""))
        }
        function enabledButtons(dialog) {
            return ["PCR", "Touchdown", "Heat Block", "Linear Ramp"].filter(function(kind) {
                return addButton(dialog, kind).enabled
            }).join(",")
        }

        function test_budgetKeepsOneDeviceStepForCooling() {
            const dialog = root.openEditor(flex, "FlexDialog.qml")
            for (let i = 0; i < 9; ++i)
                verify(addStep(dialog, "PCR"))
            compare(dialog.usedSteps, 36)
            compare(PcrCore.countFlexPcrSteps(dialog.steps.toJson()), 36)
            compare(enabledButtons(dialog), "Heat Block,Linear Ramp")
            verify(addStep(dialog, "Heat Block"))
            compare(enabledButtons(dialog), "Heat Block,Linear Ramp")
            verify(addStep(dialog, "Heat Block"))
            compare(dialog.usedSteps, 38)
            compare(enabledButtons(dialog), "Heat Block")
            verify(addStep(dialog, "Heat Block"))
            compare(dialog.usedSteps, 39)
            compare(enabledButtons(dialog), "")
        }

        function test_twentyFirstStepIsNotAdded() {
            const dialog = root.openEditor(flex, "FlexDialog.qml")
            for (let i = 0; i < 20; ++i)
                verify(addStep(dialog, "Heat Block"))
            verify(addButton(dialog, "Heat Block").enabled)
            verify(!addStep(dialog, "Heat Block"))
            compare(dialog.steps.count, 20)
        }

        function test_linearRampForcesTheHeatedLid() {
            const dialog = root.openEditor(flex, "FlexDialog.qml")
            const lid = dialog.heatedLidSwitch
            verify(!lid.enabled)
            addStep(dialog, "Heat Block")
            verify(lid.enabled)
            lid.toggle()
            verify(!lid.checked)
            compare(dialog.steps.value(0, PCRConst.heatedLid), false)
            addStep(dialog, "Linear Ramp")
            verify(lid.checked)
            verify(!lid.enabled)
            compare(dialog.steps.value(0, PCRConst.heatedLid), true)
            compare(dialog.steps.value(1, PCRConst.heatedLid), true)
            dialog.deleteStep(1)
            const confirmation = findChild(dialog, "deleteConfirmation")
            tryVerify(function() { return confirmation.opened }, 2000)
            compare(confirmation.text, "Are you sure you want to delete this step?")
            compare(confirmation.title, "Warning")
            confirmation.accept()
            compare(dialog.steps.count, 1)
            verify(lid.enabled)
        }

        function test_deleteNeedsYes() {
            const dialog = root.openEditor(flex, "FlexDialog.qml")
            addStep(dialog, "PCR")
            addStep(dialog, "Touchdown")
            dialog.deleteStep(0)
            const confirmation = findChild(dialog, "deleteConfirmation")
            tryVerify(function() { return confirmation.opened }, 2000)
            confirmation.reject()
            compare(dialog.steps.count, 2)
            dialog.deleteStep(0)
            tryVerify(function() { return confirmation.opened }, 2000)
            confirmation.accept()
            compare(dialog.steps.count, 1)
            compare(dialog.steps.value(0, PCRConst.objectType), "Touchdown")
            compare(dialog.usedSteps, 6)
        }

        function test_collapseRecordsHiddenAndSingleStepExpands() {
            const dialog = root.openEditor(flex, "FlexDialog.qml")
            addStep(dialog, "PCR")
            const first = dialog.stepList.delegateAt(0)
            verify(!first.collapsible)
            addStep(dialog, "Heat Block")
            addStep(dialog, "Linear Ramp")
            dialog.stepList.setAllExpanded(false)
            compare(dialog.stepList.collapsedCount, 3)
            compare(dialog.steps.value(0, "hidden"), true)
            compare(dialog.steps.value(1, "hidden"), false)
            compare(dialog.steps.value(2, "hidden"), true)
            tryVerify(function() { return first.height < first.view.height }, 2000)
            dialog.steps.remove(2)
            dialog.steps.remove(1)
            verify(first.shownExpanded)
            compare(dialog.steps.value(0, "hidden"), false)
        }

        function test_addedStepIsScrolledIntoView() {
            const dialog = root.openEditor(flex, "FlexDialog.qml")
            for (let i = 0; i < 5; ++i)
                verify(addStep(dialog, "Touchdown"))
            const list = dialog.stepList
            tryVerify(function() { return list.contentHeight > list.height + 100 }, 2000)
            const last = list.delegateAt(4)
            tryVerify(function() {
                return Math.abs(list.contentY - (list.contentHeight - list.height)) < 1
            }, 2000)
            verify(last.y >= list.contentY)
            verify(dialog.stepList.delegateAt(4).view.firstField.activeFocus)
        }

        function test_longListStopsGrowingAndScrolls() {
            const dialog = root.openEditor(flex, "FlexDialog.qml")
            compare(dialog.height, 350 + 25)
            verify(addStep(dialog, "PCR"))
            tryVerify(function() { return dialog.height > 350 + 50 }, 2000)
            const list = dialog.stepList
            compare(list.ScrollBar.vertical.policy, ScrollBar.AlwaysOff)
            for (let i = 0; i < 5; ++i)
                verify(addStep(dialog, "Touchdown"))
            tryCompare(dialog, "height", 680, 2000)
            compare(list.ScrollBar.vertical.policy, ScrollBar.AlwaysOn)
        }

        function test_foldAllButton() {
            const dialog = root.openEditor(flex, "FlexDialog.qml")
            const button = findChild(dialog, "expandAllButton")
            verify(addStep(dialog, "PCR"))
            verify(!button.visible)
            verify(addStep(dialog, "Linear Ramp"))
            verify(button.visible)
            compare(button.text, "\u25B2")
            button.clicked()
            compare(dialog.stepList.collapsedCount, 2)
            compare(button.text, "\u25BC")
            dialog.stepList.delegateAt(0).toggle()
            compare(dialog.stepList.collapsedCount, 1)
            compare(button.text, "\u25BC")
            button.clicked()
            compare(dialog.stepList.collapsedCount, 0)
        }

        function test_saveWithoutStepsIsRefused() {
            const dialog = root.openEditor(flex, "FlexDialog.qml")
            const warned = fields.spyOn(dialog, "warningShown")
            compare(dialog.saveProtocol(), PCRConst.nullID)
            compare(warned.signalArguments[0][0], "At least one step must be added.")
        }

        function test_unsetValueExpandsItsStep() {
            const id = PcrCore.addProgram("Flex with a gap",
                '[{"objectType":"Heat Block","startTemp":50,"time":60},'
                + '{"objectType":"Touchdown","denaturationTemp":94,"denaturationTime":30,'
                + '"annealingTemp":60,"annealingEndTemp":55,"annealingTime":30,'
                + '"extensionTemp":72,"extensionTime":30,"extensionEndTime":40,"cyclesNum":30}]',
                ProgramType.PT_FLEX, true)
            const dialog = root.openEditor(flex, "FlexDialog.qml", {protocolId: id})
            compare(dialog.steps.count, 2)
            dialog.stepList.setAllExpanded(false)
            // A key no field shows, as an imported step may carry.
            dialog.steps.setValue(1, PCRConst.temp, -1)
            const warned = fields.spyOn(dialog, "warningShown")
            compare(dialog.saveProtocol(), PCRConst.nullID)
            compare(warned.count, 0)
            verify(dialog.stepList.delegateAt(1).expanded)
            PcrCore.deleteProgram(id)
        }
    }

    TestCase {
        id: saving
        name: "EditorSaving"
        when: windowShown

        function closeAndWatch(dialog) {
            const finished = fields.spyOn(dialog, "finished")
            dialog.requestClose()
            return finished.count === 1
        }

        function test_untouchedNewEditorClosesAtOnce_data() {
            return [{tag: "pcr", file: "PcrDialog.qml"}, {tag: "heat block", file: "HeatBlockDialog.qml"},
                    {tag: "linear ramp", file: "LinearRampDialog.qml"}, {tag: "flex", file: "FlexDialog.qml"}]
        }
        function test_untouchedNewEditorClosesAtOnce(data) {
            const dialog = root.openEditor(saving, data.file)
            verify(closeAndWatch(dialog))
        }

        function test_changedEditorAsksBeforeClosing() {
            const dialog = root.openEditor(saving, "PcrDialog.qml")
            fields.typeInto(root.fieldWithKey(dialog, PCRConst.annealingTime), "45")
            verify(!closeAndWatch(dialog))
            const confirmation = findChild(dialog, "closeConfirmation")
            tryVerify(function() { return confirmation.opened }, 2000)
            compare(confirmation.text, "Changes will not be saved.\n Are you sure you want to close?")
            const finished = fields.spyOn(dialog, "finished")
            confirmation.accept()
            compare(finished.count, 1)
        }

        function test_invalidFieldAsksBeforeClosing() {
            const id = PcrCore.addProgram("Asks when invalid", '[{"objectType":"Heat Block","startTemp":50,"time":60}]',
                                          ProgramType.PT_HEAT_BLOCK)
            const dialog = root.openEditor(saving, "HeatBlockDialog.qml", {protocolId: id})
            fields.typeInto(root.fieldWithKey(dialog, PCRConst.startTemp), "20")
            verify(!closeAndWatch(dialog))
            PcrCore.deleteProgram(id)
        }

        function test_changeUndoneClosesAtOnce() {
            const id = PcrCore.addProgram("Undone change", '[{"objectType":"PCR","annealingTemp":58,'
                + '"annealingTime":30,"cyclesNum":25,"denaturationTemp":95,"denaturationTime":20,'
                + '"extensionTemp":72,"extensionTime":40,"finalTemp":72,"finalTime":300,'
                + '"heatedLid":true,"initTemp":95,"initTime":180}]', ProgramType.PT_PCR)
            const dialog = root.openEditor(saving, "PcrDialog.qml", {protocolId: id})
            const field = root.fieldWithKey(dialog, PCRConst.extensionTime)
            fields.typeInto(field, "41")
            dialog.nameField.forceActiveFocus()
            fields.typeInto(field, "40")
            verify(closeAndWatch(dialog))
            PcrCore.deleteProgram(id)
        }

        function test_saveAddsThenEditsTheSameProtocol() {
            const dialog = root.openEditor(saving, "HeatBlockDialog.qml")
            fields.typeInto(dialog.nameField, "Saved twice")
            const id = dialog.saveProtocol()
            verify(id !== PCRConst.nullID)
            compare(dialog.protocolId, id)
            compare(dialog.title, "Edit Heat Block protocol")
            fields.typeInto(root.fieldWithKey(dialog, PCRConst.startTemp), "42")
            compare(dialog.saveProtocol(), id)
            compare(ProtocolsModel.getProgramById(id)[0].startTemp, 42)
            compare(ProtocolsModel.getProgramNameById(id), "Saved twice")
            PcrCore.deleteProgram(id)
        }

        function test_saveButtonClosesOnlyWhenSaved() {
            const dialog = root.openEditor(saving, "PcrDialog.qml")
            const finished = fields.spyOn(dialog, "finished")
            fields.typeInto(root.fieldWithKey(dialog, PCRConst.initTemp), "101")
            dialog.saveAndClose()
            compare(finished.count, 0)
            fields.typeInto(root.fieldWithKey(dialog, PCRConst.initTemp), "98")
            dialog.saveAndClose()
            compare(finished.count, 1)
            PcrCore.deleteProgram(dialog.protocolId)
        }

        function test_titles_data() {
            return [
                {tag: "pcr", file: "PcrDialog.qml", title: "New PCR protocol", width: 560},
                {tag: "heat block", file: "HeatBlockDialog.qml", title: "New Heat Block protocol", width: 540},
                {tag: "linear ramp", file: "LinearRampDialog.qml", title: "New Linear Ramp protocol", width: 480},
                {tag: "flex", file: "FlexDialog.qml", title: "New Flex protocol", width: 560}
            ]
        }
        function test_titles(data) {
            const dialog = root.openEditor(saving, data.file)
            compare(dialog.title, data.title)
            compare(dialog.width, data.width)
            verify(dialog.nameField.activeFocus)
            compare(dialog.nameField.selectedText, dialog.nameField.text)
        }
    }

    TestCase {
        id: roundTrip
        name: "EditorRoundTrip"
        when: windowShown

        // Types values into fields by key (row 0 unless the key says "row:key").
        function fill(dialog, values) {
            for (const key in values) {
                const parts = key.split(":")
                const row = parts.length > 1 ? Number(parts[0]) : 0
                const name = parts[parts.length - 1]
                const field = root.fieldsOf(dialog, function(f) { return f.key === name && f.row === row })[0]
                verify(field, key)
                fields.typeInto(field, values[key])
            }
            dialog.nameField.forceActiveFocus()
        }
        function shown(dialog, values) {
            for (const key in values) {
                const parts = key.split(":")
                const row = parts.length > 1 ? Number(parts[0]) : 0
                const name = parts[parts.length - 1]
                const field = root.fieldsOf(dialog, function(f) { return f.key === name && f.row === row })[0]
                compare(field.text, values[key].shown, key)
            }
        }
        function typed(values) {
            const result = {}
            for (const key in values)
                result[key] = values[key].typed
            return result
        }

        function test_roundTrip_data() {
            return [
                {tag: "pcr", file: "PcrDialog.qml", type: ProgramType.PT_PCR, kinds: [],
                 values: {annealingTemp: {typed: "58.5", shown: "58.5"}, cyclesNum: {typed: "25", shown: "25"},
                          initTime: {typed: "200", shown: "200"}, finalTemp: {typed: "70", shown: "70.0"}},
                 stored: [{objectType: "PCR", annealingTemp: 58.5, cyclesNum: 25, initTime: 200, finalTemp: 70,
                           initTemp: 94, denaturationTemp: 94, denaturationTime: 30, annealingTime: 30,
                           extensionTemp: 72, extensionTime: 30, finalTime: 60, heatedLid: true}]},
                {tag: "heat block", file: "HeatBlockDialog.qml", type: ProgramType.PT_HEAT_BLOCK, kinds: [],
                 values: {startTemp: {typed: "55.5", shown: "55.5"}},
                 stored: [{objectType: "Heat Block", startTemp: 55.5, time: 1800, heatedLid: true}]},
                {tag: "linear ramp", file: "LinearRampDialog.qml", type: ProgramType.PT_LINEAR_RAMP, kinds: [],
                 values: {startTemp: {typed: "90", shown: "90.0"}, finalTemp: {typed: "30.5", shown: "30.5"},
                          time: {typed: "15", shown: "15"}},
                 stored: [{objectType: "Linear Ramp", startTemp: 90, finalTemp: 30.5, time: 900}]},
                {tag: "flex", file: "FlexDialog.qml", type: ProgramType.PT_FLEX,
                 kinds: ["PCR", "Touchdown", "Heat Block", "Linear Ramp"],
                 values: {"0:annealingTime": {typed: "35", shown: "35"},
                          "1:annealingTemp": {typed: "61.7", shown: "61.0"},
                          "1:annealingEndTemp": {typed: "55.5", shown: "55.5"},
                          "1:extensionEndTime": {typed: "45", shown: "45"},
                          "1:cyclesNum": {typed: "12", shown: "12"},
                          "3:time": {typed: "20", shown: "20"}},
                 stored: [{objectType: "PCR", annealingTime: 35, heatedLid: true, initTemp: 94, finalTime: 60},
                          {objectType: "Touchdown", annealingTemp: 61, annealingEndTemp: 55.5,
                           extensionTime: 30, extensionEndTime: 45, cyclesNum: 12, heatedLid: true},
                          {objectType: "Heat Block", startTemp: 37, time: 1800, heatedLid: true},
                          {objectType: "Linear Ramp", startTemp: 25, finalTemp: 99, time: 1200, heatedLid: true}]}
            ]
        }
        function test_roundTrip(data) {
            const dialog = root.openEditor(roundTrip, data.file)
            fields.typeInto(dialog.nameField, "Round " + data.tag)
            for (let i = 0; i < data.kinds.length; ++i)
                verify(fields.addStep(dialog, data.kinds[i]))
            fill(dialog, typed(data.values))
            const id = dialog.saveProtocol()
            verify(id !== PCRConst.nullID)
            compare(ProtocolsModel.protocolType(id), data.type)
            compare(ProtocolsModel.getProgramNameById(id), "Round " + data.tag)

            const stored = ProtocolsModel.getProgramById(id)
            compare(stored.length, data.stored.length)
            for (let s = 0; s < data.stored.length; ++s) {
                for (const key in data.stored[s])
                    compare(stored[s][key], data.stored[s][key], s + ":" + key)
            }

            const reopened = root.openEditor(roundTrip, data.file, {protocolId: id})
            compare(reopened.nameField.text, "Round " + data.tag)
            compare(reopened.steps.count, data.stored.length)
            shown(reopened, data.values)

            // Editing keeps the protocol and its id.
            const count = ProtocolsModel.rowCount()
            fields.typeInto(reopened.nameField, "Edited " + data.tag)
            compare(reopened.saveProtocol(), id)
            compare(ProtocolsModel.rowCount(), count)
            compare(ProtocolsModel.getProgramNameById(id), "Edited " + data.tag)
            PcrCore.deleteProgram(id)
        }

        // A stored heat-block protocol may hold several holds (imported data).
        function test_heatBlockStepsAreTitledFromTheSecond() {
            const dialog = root.openEditor(roundTrip, "HeatBlockDialog.qml")
            dialog.steps.load([{objectType: "Heat Block", startTemp: 50, time: 60},
                               {objectType: "Heat Block", startTemp: 60, time: 120}])
            const list = findChild(dialog, "stepList")
            tryVerify(function() { return list.delegateAt(1) !== null }, 2000)
            verify(!list.delegateAt(0).hasTitle)
            verify(list.delegateAt(1).hasTitle)
            compare(root.fieldsOf(dialog, function(f) { return f.key === PCRConst.startTemp })
                    .map(function(f) { return f.text }).join(","), "50.0,60.0")
        }

        function test_flexKeepsFinalCoolingAndHeatedLid() {
            const dialog = root.openEditor(roundTrip, "FlexDialog.qml")
            verify(fields.addStep(dialog, "Heat Block"))
            dialog.heatedLidSwitch.toggle()
            findChild(dialog, "finalCoolingSwitch").toggle()
            const id = dialog.saveProtocol()
            verify(id !== PCRConst.nullID)
            compare(ProtocolsModel.getFinalCoolingById(id), false)
            const reopened = root.openEditor(roundTrip, "FlexDialog.qml", {protocolId: id})
            verify(!reopened.heatedLidSwitch.checked)
            verify(!findChild(reopened, "finalCoolingSwitch").checked)
            const saved = fields.spyOn(reopened, "finished")
            reopened.requestClose()
            compare(saved.count, 1)
            PcrCore.deleteProgram(id)
        }
    }

    // Stands in for the main window's dialog functions.
    QtObject {
        id: windowStandIn

        property var waits: []

        function showWaitDialog(postUrl, postProperties, maxInterval) {
            waits.push({url: String(postUrl), properties: postProperties, interval: maxInterval})
        }
    }

    TestCase {
        id: keyboard
        name: "EditorKeyboard"
        when: windowShown

        function test_pcrTabOrder() {
            const dialog = root.openEditor(keyboard, "PcrDialog.qml")
            const key = function(name) { return root.fieldWithKey(dialog, name) }
            const heatedLid = findChild(dialog, "heatedLidSwitch")
            const order = [dialog.nameField, heatedLid,
                           key(PCRConst.initTemp), key(PCRConst.initTime),
                           key(PCRConst.denaturationTemp), key(PCRConst.denaturationTime),
                           key(PCRConst.annealingTemp), key(PCRConst.annealingTime),
                           key(PCRConst.extensionTemp), key(PCRConst.extensionTime),
                           key(PCRConst.cyclesNum),
                           key(PCRConst.finalTemp), key(PCRConst.finalTime),
                           dialog.saveButton, dialog.saveAndRunButton, dialog.nameField]
            verify(dialog.nameField.activeFocus)
            for (let i = 1; i < order.length; ++i) {
                keyClick(Qt.Key_Tab)
                verify(order[i].activeFocus, "Tab " + i)
            }
            for (let j = order.length - 2; j >= 0; --j) {
                keyClick(Qt.Key_Backtab)
                verify(order[j].activeFocus, "Backtab " + j)
            }
        }

        function test_saveAndRun_data() {
            return [{tag: "no machine", file: "PcrDialog.qml"}, {tag: "flex", file: "FlexDialog.qml"}]
        }
        function test_saveAndRun(data) {
            AppWindow.window = windowStandIn
            windowStandIn.waits = []
            const dialog = root.openEditor(keyboard, data.file)
            if (data.file === "FlexDialog.qml")
                verify(fields.addStep(dialog, "Heat Block"))
            const finished = fields.spyOn(dialog, "finished")
            dialog.saveAndRunButton.clicked()
            verify(dialog.protocolId !== PCRConst.nullID)
            compare(windowStandIn.waits.length, 1)
            compare(windowStandIn.waits[0].url, "qrc:/qml/Desktop/AppDialogs/Views/RunDialog.qml")
            compare(windowStandIn.waits[0].properties.protocolId, dialog.protocolId)
            compare(windowStandIn.waits[0].interval, 2000)
            PcrCore.deleteProgram(dialog.protocolId)
            AppWindow.window = null
        }

        function test_saveAndRunStaysOpenWhenRefused() {
            AppWindow.window = windowStandIn
            windowStandIn.waits = []
            const dialog = root.openEditor(keyboard, "FlexDialog.qml")
            const finished = fields.spyOn(dialog, "finished")
            dialog.saveAndRunButton.clicked()
            compare(dialog.protocolId, PCRConst.nullID)
            compare(windowStandIn.waits.length, 0)
            compare(finished.count, 0)
            AppWindow.window = null
        }
    }
}
