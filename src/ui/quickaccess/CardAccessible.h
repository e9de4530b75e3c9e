#pragma once

namespace cadrelle {

// Makes assistive technologies see each Quick Access card as a group with
// four named actions ("Save screenshot", "Copy image", "Edit in Image
// Editor", "Move screenshot to Trash"). Installing it again does nothing.
void installCardAccessible();

} // namespace cadrelle
