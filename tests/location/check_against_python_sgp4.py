#!/usr/bin/env python3
"""Places each satellite's sample picture by kestrel-cli's SGP4 and by python3-sgp4 (an
independent implementation), from the same history of two-line sets, and checks that both put
the sub-satellite point within 50 m of each other and chose the same set.

Usage: check_against_python_sgp4.py KESTREL_CLI SAMPLES_DIR
"""
import json
import math
import shutil
import subprocess
import sys
import tempfile

try:
    from sgp4.api import Satrec, WGS72
except ImportError:
    print("python3-sgp4 is not installed; nothing compared")
    sys.exit(77)  # skipped

# One picture of each satellite; the TMSAT one is a compressed pair, decoded on the way in.
PICTURES = {"U5IW0001": [], "KAIW0002": [], "KBIW0008": [], "P1D00011": [],
            "TM000700.IMT": ["TM000700.IMC"]}
WGS84_A = 6378.137
WGS84_F = 1 / 298.257223563
TOLERANCE_M = 50.0


def julian_date(iso):
    """'1996-08-19T11:05:42Z' as a Julian date."""
    date, time = iso.rstrip("Z").split("T")
    y, m, d = (int(x) for x in date.split("-"))
    hh, mm, ss = (float(x) for x in time.split(":"))
    if m <= 2:
        y, m = y - 1, m + 12
    a = y // 100
    b = 2 - a + a // 4
    day = int(365.25 * (y + 4716)) + int(30.6001 * (m + 1)) + d + b - 1524.5
    return day + (hh * 3600 + mm * 60 + ss) / 86400


def gmst(jd):
    """Greenwich mean sidereal time (IAU 1982), radians."""
    t = (jd - 2451545.0) / 36525
    seconds = 67310.54841 + (876600 * 3600 + 8640184.812866) * t + 0.093104 * t * t - 6.2e-6 * t ** 3
    return math.fmod(seconds * 2 * math.pi / 86400, 2 * math.pi)


def geodetic(x, y, z):
    """Earth-fixed km to WGS-84 latitude and longitude (degrees) and height (km)."""
    e2 = WGS84_F * (2 - WGS84_F)
    p = math.hypot(x, y)
    lat = math.atan2(z, p * (1 - e2))
    for _ in range(10):
        n = WGS84_A / math.sqrt(1 - e2 * math.sin(lat) ** 2)
        lat = math.atan2(z + e2 * n * math.sin(lat), p)
    n = WGS84_A / math.sqrt(1 - e2 * math.sin(lat) ** 2)
    return math.degrees(lat), math.degrees(math.atan2(y, x)), p / math.cos(lat) - n


def sets_by_number(path):
    lines = [line.rstrip() for line in open(path)]
    sets = {}
    for i, line in enumerate(lines[:-1]):
        if line.startswith("1 ") and lines[i + 1].startswith("2 "):
            sat = Satrec.twoline2rv(line, lines[i + 1], WGS72)
            sets.setdefault(sat.satnum, []).append((sat, line))
    return sets


def main():
    cli, samples = sys.argv[1], sys.argv[2]
    sets = sets_by_number(f"{samples}/ELEMENTS.TLE")
    worst = 0.0
    # Copies, so that decoding a pair never leaves a file in the shared demo folder.
    work = tempfile.mkdtemp()
    for name in ["ELEMENTS.TLE", *PICTURES, *sum(PICTURES.values(), [])]:
        shutil.copy(f"{samples}/{name}", work)
    for picture in PICTURES:
        out = subprocess.run([cli, "where", picture, "--elements", "ELEMENTS.TLE", "--json"],
                             cwd=work, capture_output=True, text=True, check=True).stdout
        report = json.loads(out)
        jd = julian_date(report["captureTime"])
        history = sets[report["satellite"]["catalogueNumber"]]
        assert len(history) == 50, picture
        sat, line1 = min(history, key=lambda s: abs(s[0].jdsatepoch + s[0].jdsatepochF - jd))
        assert sat is not history[0][0], f"{picture}: the nearest set is the first of its history"
        epoch = sat.jdsatepoch + sat.jdsatepochF
        assert abs(julian_date(report["elementSet"]["epoch"]) - epoch) < 1 / 86400, (picture, line1)
        error, r, _ = sat.sgp4(math.floor(jd - 0.5) + 0.5, jd - (math.floor(jd - 0.5) + 0.5))
        assert error == 0, picture
        theta = gmst(jd)
        x = r[0] * math.cos(theta) + r[1] * math.sin(theta)
        y = -r[0] * math.sin(theta) + r[1] * math.cos(theta)
        lat, lon, height = geodetic(x, y, r[2])
        point = report["subSatellitePoint"]
        dlat = math.radians(point["latitude"] - lat)
        dlon = math.radians((point["longitude"] - lon + 540) % 360 - 180)
        ground = 6371e3 * math.hypot(dlat, dlon * math.cos(math.radians(lat)))
        apart = math.hypot(ground, (point["heightKm"] - height) * 1e3)
        worst = max(worst, apart)
        print(f"{picture}: {report['satellite']['designation']} set of {report['elementSet']['epoch']}, "
              f"{apart:.2f} m from python3-sgp4")
        assert apart < TOLERANCE_M, f"{picture}: {apart:.1f} m apart"
    shutil.rmtree(work)
    print(f"worst {worst:.2f} m")


if __name__ == "__main__":
    main()
