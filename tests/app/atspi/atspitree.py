#!/usr/bin/python3
"""Reads a running application's accessibility tree over AT-SPI, as a screen reader does.

    atspitree.py APP dump                 prints the tree as JSON
    atspitree.py APP press ROLE NAME      runs the first action of the first object with that role and name
    atspitree.py APP focused              prints the object that has the focus as JSON

APP is the application's name on the accessibility bus. The application must be up; the script waits for it
to appear for a few seconds.
"""
import json
import sys
import time

import pyatspi


def find_application(name, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            application = desktop.getChildAtIndex(index)
            if application is not None and application.name == name and application.childCount > 0:
                return application
        time.sleep(0.2)
    sys.exit("no application named %r on the accessibility bus" % name)


def describe(accessible, with_children=True):
    states = accessible.getState()
    node = {
        "role": accessible.getRoleName(),
        "name": accessible.name or "",
        "description": accessible.description or "",
        "states": sorted(pyatspi.stateToString(state) for state in states.getStates()),
    }
    try:
        action = accessible.queryAction()
        node["actions"] = [action.getName(index) for index in range(action.nActions)]
    except NotImplementedError:
        pass
    try:
        table = accessible.queryTable()
        node["table"] = {"rows": table.nRows, "columns": table.nColumns}
    except NotImplementedError:
        pass
    relations = []
    for relation in accessible.getRelationSet():
        targets = [relation.getTarget(index).name for index in range(relation.getNTargets())]
        relations.append({"type": pyatspi.relationToString(relation.getRelationType()), "targets": targets})
    if relations:
        node["relations"] = relations
    if with_children:
        node["children"] = [describe(child) for child in accessible if child is not None]
    return node


def walk(accessible):
    yield accessible
    for child in accessible:
        if child is not None:
            yield from walk(child)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    application = find_application(sys.argv[1])
    command = sys.argv[2]
    if command == "dump":
        print(json.dumps(describe(application), ensure_ascii=False))
    elif command == "press":
        role, name = sys.argv[3], sys.argv[4]
        for accessible in walk(application):
            if accessible.getRoleName() == role and accessible.name == name:
                accessible.queryAction().doAction(0)
                return
        sys.exit("no %s named %r" % (role, name))
    elif command == "focused":
        # A window holding the focus says so too; the innermost focused object is the one that has it.
        focused = [accessible for accessible in walk(application) if accessible.getState().contains(pyatspi.STATE_FOCUSED)]
        if not focused:
            sys.exit("nothing has the focus")
        print(json.dumps(describe(focused[-1], with_children=False), ensure_ascii=False))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
