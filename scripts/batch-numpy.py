#!/usr/bin/env python3
"""The batch's yardstick: a plain numpy script doing the linear rule's work on the same SQLite
field. It reads the regimes in one pass ordered by kwu_id, fits each well's straight line by least
squares (pressure against rate) and writes the same UPDATE of kwu_ind (six significant digits in
the database's units, Null for what is not determined), a transaction per block of 512 wells.

    python3 scripts/batch-numpy.py FIELD.db
"""
import sqlite3
import sys

import numpy as np

ATM_PER_MPA = 9.86923
BLOCK = 512


def six(value):
    return float("%.6g" % value)


def main(path):
    db = sqlite3.connect(path)
    read = sqlite3.connect(path)
    rows = read.execute(
        "select kwu_id, rate, pressure, well_type from kwu_regime order by kwu_id")
    pending = []

    def flush():
        with db:
            db.executemany(
                "update kwu_ind set kprod=?,pplast=?,pzab_dop=? where kwu_id=?", pending)
        pending.clear()

    def fit(kwu_id, rates, pressures, well_type):
        q = np.asarray(rates)
        p = np.asarray(pressures)
        slope, intercept = np.polyfit(q, p, 1)
        sign = -1.0 if well_type != 2 else 1.0
        kprod = sign / slope
        pplast = intercept
        pending.append((six(kprod / ATM_PER_MPA) if kprod > 0 else None,
                        six(pplast * ATM_PER_MPA) if pplast > 0 else None, None, kwu_id))
        if len(pending) >= BLOCK:
            flush()

    current, rates, pressures, well_type = None, [], [], 1
    for kwu_id, rate, pressure, wt in rows:
        if kwu_id != current:
            if current is not None and len(rates) >= 2:
                fit(current, rates, pressures, well_type)
            current, rates, pressures, well_type = kwu_id, [], [], wt
        if rate is not None and pressure is not None:
            rates.append(float(rate))
            pressures.append(float(pressure))
    if current is not None and len(rates) >= 2:
        fit(current, rates, pressures, well_type)
    if pending:
        flush()


if __name__ == "__main__":
    main(sys.argv[1])
