#!/usr/bin/env python3
"""Reads kestrel-cli's exports of demo pictures with the tools people read them with: GDAL
for the GeoTIFF, an XML parser for the KML and the map's SVG, and the rules of RFC 7946 for the
GeoJSON; each must put the picture where `where --json` says its footprint lies.

Usage: check_exports.py KESTREL_CLI SAMPLES_DIR
"""
import hashlib
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

if not shutil.which("gdalinfo"):
    print("gdalinfo is not installed; nothing checked")
    sys.exit(77)  # skipped

KML = "{http://www.opengis.net/kml/2.2}"
GX = "{http://www.google.com/kml/ext/2.2}"
# Narrow cameras: a footprint small enough that one affine map holds its corners to 0.01°.
NARROW = ["KAIN0003", "KBIN0009"]
WIDE = "KBIW0008"


def run(cli, work, *args, ok=True):
    result = subprocess.run([cli, *args], cwd=work, capture_output=True, text=True)
    assert (result.returncode == 0) == ok, (args, result.returncode, result.stderr)
    return result


def where(cli, work, picture, *exports):
    out = run(cli, work, "where", picture, "--elements", "ELEMENTS.TLE", "--json", *exports).stdout
    return json.loads(out)


def corners(report):
    """The footprint's corners from where --json: its ring less the closing point."""
    ring = report["footprint"]["geometry"]["coordinates"][0]
    assert ring[0] == ring[-1], "the ring is not closed"
    return ring[:-1]


def near(a, b, tolerance):
    return abs(a[0] - b[0]) <= tolerance and abs(a[1] - b[1]) <= tolerance


def check_geotiff(cli, work, picture):
    report = where(cli, work, picture, "--geotiff", f"{picture}.tif")
    info = json.loads(subprocess.run(["gdalinfo", "-json", f"{picture}.tif"], cwd=work,
                                     capture_output=True, text=True, check=True).stdout)
    assert 'ID["EPSG",4326]' in info["coordinateSystem"]["wkt"], info["coordinateSystem"]
    assert [band["type"] for band in info["bands"]] == ["Byte"], info["bands"]
    reported = [info["cornerCoordinates"][k] for k in ("upperLeft", "upperRight", "lowerRight", "lowerLeft")]
    footprint = corners(report)
    worst = max(min(max(abs(r[0] - f[0]), abs(r[1] - f[1])) for f in footprint) for r in reported)
    assert worst <= 0.01, f"{picture}: GeoTIFF corners {worst:.4f}° from the footprint's"
    print(f"{picture}: GeoTIFF corners within {worst:.4f}° of where --json")


def check_kml_and_geojson(cli, work):
    report = where(cli, work, WIDE, "--kml", "wide.kml", "--geojson", "wide.geojson")
    footprint = corners(report)
    document = ElementTree.parse(os.path.join(work, "wide.kml")).getroot()
    assert document.tag == KML + "kml"
    overlay = document.find(f".//{KML}GroundOverlay")
    assert overlay.find(f"{KML}Icon/{KML}href").text == "wide.png"
    assert os.path.getsize(os.path.join(work, "wide.png")) > 0
    quad = [tuple(map(float, p.split(","))) for p in overlay.find(f"{GX}LatLonQuad/{KML}coordinates").text.split()]
    assert len(quad) == 4 and all(any(near(q, f, 1e-6) for f in footprint) for q in quad), quad
    track = document.find(f".//{KML}LineString/{KML}coordinates").text.split()
    assert len(track) > 100, "the ground track is missing"
    assert "Approximate" in document.find(f".//{KML}Placemark/{KML}description").text

    feature = json.load(open(os.path.join(work, "wide.geojson")))
    assert feature["type"] == "Feature" and feature["geometry"]["type"] == "Polygon"
    ring = feature["geometry"]["coordinates"][0]
    assert ring[0] == ring[-1] and len(ring) >= 4
    assert all(-180 <= lon <= 180 and -90 <= lat <= 90 for lon, lat in ring)
    area = sum(a[0] * b[1] - b[0] * a[1] for a, b in zip(ring, ring[1:]))
    assert area > 0, "the exterior ring runs clockwise"
    assert feature["properties"]["satellite"]["designation"] == "KO-25"
    print(f"{WIDE}: KML quad on the footprint, GeoJSON ring closed and counter-clockwise")


def check_map_and_refusals(cli, work):
    run(cli, work, "map", WIDE, "--elements", "ELEMENTS.TLE", "-o", "map.svg", "--size", "800x500")
    svg = ElementTree.parse(os.path.join(work, "map.svg")).getroot()
    assert svg.tag.endswith("svg") and svg.get("width") == "800", svg.attrib
    before = hashlib.sha256(open(os.path.join(work, WIDE), "rb").read()).hexdigest()
    # Onto the picture, however it is spelt, or into a folder that is not there: one line, exit 1.
    for args in [["--geojson", WIDE], ["--geotiff", "./" + WIDE], ["--geotiff", "nowhere/x.tif"],
                 ["--kml", "nowhere/x.kml"]]:
        result = run(cli, work, "where", WIDE, "--elements", "ELEMENTS.TLE", "--json", *args, ok=False)
        assert result.stderr.count("\n") == 1, result.stderr
    assert hashlib.sha256(open(os.path.join(work, WIDE), "rb").read()).hexdigest() == before
    assert not os.path.exists(os.path.join(work, "nowhere"))
    print("map.svg parses; outputs onto the picture or into a missing folder are refused")


def main():
    cli, samples = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp()
    for name in ["ELEMENTS.TLE", WIDE, *NARROW]:
        shutil.copy(os.path.join(samples, name), work)
    for picture in NARROW:
        check_geotiff(cli, work, picture)
    check_kml_and_geojson(cli, work)
    check_map_and_refusals(cli, work)
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
