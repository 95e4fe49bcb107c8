// BoardGeometry.h — where everything sits on the board, in board pixels.
//
// Derived once from the sizes of the ball strip (cell S, half cell H) and
// the groove strip (margin M), and from the code length P and row count R.
// With the standard strips (S 32, M 10) and P 4, R 11 the board is
// 222 x 414: rows start at y 52, row 10 at 372, its pegs at x 138, the
// palette column at x 180.
#pragma once

struct BoardGeometry {
    int cell = 32;      // S: ball cell
    int half = 16;      // H: peg cell
    int margin = 10;    // M: groove width
    int positions = 4;  // P
    int rows = 11;      // R

    int PegColumns() const { return positions - positions / 2; }        // K
    int FirstRowTop() const { return 2 * margin + cell; }                // Y0
    int Width() const { return (positions + 1) * cell + PegColumns() * half + 3 * margin; }
    int Height() const { return FirstRowTop() + cell * rows + margin; }
    int HiddenRowTop() const { return FirstRowTop() - margin - cell; }
    int RowTop(int r) const { return FirstRowTop() + r * cell; }
    int BallLeft(int i) const { return margin + i * cell; }
    int PegLeft(int i) const { return cell * positions + margin + (i / 2) * half; }
    int PegTop(int row, int i) const { return RowTop(row) + (i % 2) * half; }
    int HiddenPegTop(int i) const { return HiddenRowTop() + (i % 2) * half; }
    int MeterBoxLeft() const { return cell * positions + PegColumns() * half + margin; }
    int RightColumnLeft() const { return PegColumns() * half + cell * positions + 2 * margin; }
    int RightGrooveLeft() const { return RightColumnLeft() + cell; }
    // Vertical centre of a row; row -1 is the hidden-code row.
    int RowCentre(int r) const {
        return r < 0 ? FirstRowTop() - margin - cell / 2 : RowTop(r) + half;
    }
};
