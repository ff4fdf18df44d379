#!/usr/bin/python3
"""The batch's yardstick: a plain numpy script doing the linear rule's work on the same SQLite
field. It reads the regimes in one pass ordered by kwu_id, fits each well's straight line by least
squares (pressure against rate, the sums of each well by np.add.reduceat) and writes the same
UPDATE of kwu_ind (six significant digits in the database's units, Null for what is not
determined), a transaction per block of 512 wells, on the one connection that reads.

    /usr/bin/python3 scripts/batch-numpy.py FIELD.db
"""
import sqlite3
import sys

import numpy as np

ATM_PER_MPA = 9.86923
BLOCK = 512


def six(value):
    return float("%.6g" % value) if value > 0 and np.isfinite(value) else None


def main(path):
    db = sqlite3.connect(path, isolation_level=None)
    rows = db.execute("select kwu_id, rate, pressure, well_type from kwu_regime "
                      "where rate is not null and pressure is not null order by kwu_id").fetchall()
    if not rows:
        return
    ids, q, p, kind = (np.array(c) for c in zip(*rows))
    q = q.astype(float)
    p = p.astype(float)
    starts = np.flatnonzero(np.r_[True, ids[1:] != ids[:-1]])
    n = np.diff(np.r_[starts, len(ids)]).astype(float)
    sq, sp = np.add.reduceat(q, starts), np.add.reduceat(p, starts)
    sqq, sqp = np.add.reduceat(q * q, starts), np.add.reduceat(q * p, starts)
    with np.errstate(divide="ignore", invalid="ignore"):
        slope = (n * sqp - sq * sp) / (n * sqq - sq * sq)
        intercept = (sp - slope * sq) / n
        kprod = np.where(kind[starts] == 2, 1.0, -1.0) / slope
    well = ids[starts]
    for first in range(0, len(well), BLOCK):
        db.execute("begin")
        db.executemany(
            "update kwu_ind set kprod=?,pplast=?,pzab_dop=? where kwu_id=?",
            [(six(kprod[i] / ATM_PER_MPA), six(intercept[i] * ATM_PER_MPA), None, int(well[i]))
             for i in range(first, min(first + BLOCK, len(well))) if n[i] >= 2])
        db.execute("commit")


if __name__ == "__main__":
    main(sys.argv[1])
