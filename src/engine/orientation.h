// Camera orientation: the EXIF "Orientation" tag of a JPEG says how the
// stored pixels must be turned or mirrored to stand upright.
#pragma once

#include "engine/compose.h"
#include "engine/image.h"
#include "engine/picture_header.h"

namespace vd {

// The orientation (1..8) of a JPEG, read from the "Orientation" tag of IFD0 in
// its APP1 "Exif" block; 1 (as stored) for anything else: not a JPEG, no such
// tag, a value outside 1..8, or bytes that lie about their lengths and
// offsets. Reads only the markers before the picture data, each bounded.
int ReadOrientation(ByteSource& source);

// Orientations 5 to 8 turn the picture by a quarter: its sides swap.
inline bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// The stored pixel that shows at (x, y) of the upright picture, for a stored
// picture of storedWidth x storedHeight.
void StoredPixelOf(int orientation, int storedWidth, int storedHeight, int x, int y, int& sx, int& sy);

// The stored picture turned upright, in one pass over its pixels.
Image Orient(ConstImageView stored, int orientation);
// The same into a picture of the upright size (else nothing is written).
void OrientInto(ConstImageView stored, int orientation, ImageView upright);

// The stored rectangle whose pixels make up the given rectangle of the
// upright picture (which must lie inside it).
Rect StoredRect(int orientation, int storedWidth, int storedHeight, Rect shown);

}  // namespace vd
