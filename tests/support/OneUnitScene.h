#pragma once

#include "tests/support/TestFiles.h"

namespace zelmor::test {

// One magenta unit at the origin, seen from straight above: screen right is world +z, screen
// up is world +x, the origin is the window centre and 30 units down the view is 240 pixels of
// 17.3 units. Selected, it shows a yellow square frame around it.
inline void writeOneUnitScene(const TempDir& folder) {
    folder.write("wdf/test.wdf",
                 "m models.lst\n"
                 "p 0 0 0\n"
                 "o 0 0 0\n"
                 "u unit.unit\n"
                 "p 0 30 0\n"
                 "o 0 -30 0\n"
                 "c 60 0.1 100\n"
                 "x\n");
    folder.write("models.lst", "body body.mdl\nSELECTOR selector.mdl\n");
    folder.write("body.mdl",  // a flat magenta square, 1 x 1, on top of the unit
                 "v 4 -0.5 0.5 -0.5  0.5 0.5 -0.5  0.5 0.5 0.5  -0.5 0.5 0.5\n"
                 "i 6 0 1 2 0 2 3\n"
                 "p 4\n"
                 "c 1 0 1 1\n"
                 "x\n");
    folder.write("selector.mdl",
                 "v 8 -1.3 0.05 -1.3  1.3 0.05 -1.3  1.3 0.05 1.3  -1.3 0.05 1.3\n"
                 "    -1 0.05 -1  1 0.05 -1  1 0.05 1  -1 0.05 1\n"
                 "i 24 0 1 5 0 5 4  1 2 6 1 6 5  2 3 7 2 7 6  3 0 4 3 4 7\n"
                 "p 4\n"
                 "c 1 1 0 1\n"
                 "x\n");
    folder.write("unit.unit", "m body\np 0 0 0\no 0 0 0\na body\nx\n");
}

}  // namespace zelmor::test
