#ifndef LUMETRA_CIT8CHARTLAYOUT_H
#define LUMETRA_CIT8CHARTLAYOUT_H

class CIt8Table;

// Where the patches of a target go in its image: rows of a fixed number of patches,
// the last row padded when the sets do not fill it, each patch a block of pixels.
struct CIt8ChartLayout
{
    int patchesPerRow = 0;
    int rows = 0;
    bool padded = false;
    int totalPatchCount = 0;
    int width = 0;
    int height = 0;

    // A negative patchesPerRow takes the row length from "LGOROWLENGTH". False,
    // with the layout unchanged, for a target without a positive "NUMBER_OF_SETS",
    // with a negative "NUMBER_OF_FIELDS", for a row length or block size that is
    // not positive, and for counts or pixel sizes beyond 32 bits.
    bool Compute(const CIt8Table& table, long patchWidth, long patchHeight, int requestedPatchesPerRow);
};

#endif
