#!/usr/bin/env node
// Converts Natural Earth's 1:50m land, as the world-atlas npm package carries it in TopoJSON,
// into the compact outlines compiled into Kestrel's map: resources/map/land.bin and its NOTICE.
//
//   node tools/map/make_land.js
//
// Needs node, npm and tar; fetches the package into a temporary folder and removes it
// afterwards.
//
// The TopoJSON polygons are spherical: a few cross the antimeridian (Chukotka, Wrangel Island,
// Fiji) and Antarctica's coast runs once round the south pole. The map draws straight lines
// between longitudes and latitudes, so each such ring is cut at ±180 into pieces that lie within
// -180 … 180, and a ring round a pole is closed along the pole's row first.
//
// Coordinates are rounded to 1/100 degree (at most 1.1 km), finer than the 1:50m outlines
// themselves. Points that round onto the point before them are dropped, and so are rings left
// with fewer than three points or with no area. A shape is one polygon's rings (an island or a
// continent and the lakes in it, such as the Caspian Sea), filled by the even-odd rule, so the
// rings' winding does not matter.
//
// Layout, little-endian:
//   "KLD1", u32 shape count S, u32 ring count R, u32 point count P, S x u32 rings in each
//   shape, R x u32 points in each ring, P x (i16 longitude, i16 latitude) in 1/100 degree (east
//   and north positive), ring after ring, each ring closed implicitly (its last point is not the
//   first repeated); nothing after them.

'use strict';

const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const PACKAGE = 'world-atlas';
const VERSION = '2.0.2';
const TOPOLOGY = 'land-50m.json';
const UNITS_PER_DEGREE = 100;
const OUTPUT_DIR = path.join(__dirname, '..', '..', 'resources', 'map');

function fetchTopology(folder) {
  const tarball = execFileSync('npm', ['pack', '--silent', `${PACKAGE}@${VERSION}`],
                               { cwd: folder, encoding: 'utf8' }).trim().split('\n').pop();
  execFileSync('tar', ['xzf', tarball], { cwd: folder });
  const packageDir = path.join(folder, 'package');
  const version = JSON.parse(fs.readFileSync(path.join(packageDir, 'package.json'))).version;
  const topology = JSON.parse(fs.readFileSync(path.join(packageDir, TOPOLOGY)));
  return { topology, version };
}

// Each arc of a quantized topology is a run of integer deltas: the first position is absolute,
// each later one is added to the position before it; transform turns the sums into degrees.
function decodeArcs(topology) {
  const { scale, translate } = topology.transform;
  return topology.arcs.map((arc) => {
    let x = 0;
    let y = 0;
    return arc.map(([dx, dy]) => {
      x += dx;
      y += dy;
      return [x * scale[0] + translate[0], y * scale[1] + translate[1]];
    });
  });
}

// A ring is its arcs end to end; index ~i (negative) is arc i walked backwards. Consecutive arcs
// share their joining point, so every arc after the first loses its first point.
function ringPositions(arcIndexes, arcs) {
  const positions = [];
  arcIndexes.forEach((index, n) => {
    const arc = index >= 0 ? arcs[index] : arcs[~index].slice().reverse();
    positions.push(...(n === 0 ? arc : arc.slice(1)));
  });
  return positions;
}

function wrap180(degrees) {
  return degrees - 360 * Math.floor((degrees + 180) / 360);
}

// The ring with each longitude within half a turn of the one before it; a ring round a pole,
// whose longitudes then end a whole turn from where they began, closed along the pole's row.
function unwrapRing(positions) {
  const ring = [positions[0].slice()];
  for (const [longitude, latitude] of positions.slice(1)) {
    const last = ring[ring.length - 1][0];
    ring.push([last + wrap180(longitude - last), latitude]);
  }
  const [firstLongitude, firstLatitude] = ring[0];
  const last = ring[ring.length - 1][0];
  const closing = last + wrap180(firstLongitude - last);
  if (Math.abs(closing - firstLongitude) > 180) {
    const meanLatitude = ring.reduce((sum, [, latitude]) => sum + latitude, 0) / ring.length;
    const pole = meanLatitude < 0 ? -90 : 90;
    ring.push([closing, firstLatitude], [closing, pole], [firstLongitude, pole]);
  }
  return ring;
}

// The part of a ring on one side of a meridian (Sutherland-Hodgman against one edge).
function clipRing(ring, meridian, keepEast) {
  const inside = ([longitude]) => (keepEast ? longitude >= meridian : longitude <= meridian);
  const clipped = [];
  ring.forEach((point, i) => {
    const previous = ring[(i + ring.length - 1) % ring.length];
    if (inside(point) !== inside(previous)) {
      const along = (meridian - previous[0]) / (point[0] - previous[0]);
      clipped.push([meridian, previous[1] + along * (point[1] - previous[1])]);
    }
    if (inside(point)) clipped.push(point);
  });
  return clipped;
}

// The ring's pieces within -180 … 180, each moved by whole turns to get there.
function ringsWithin180(positions) {
  const ring = unwrapRing(positions);
  const longitudes = ring.map(([longitude]) => longitude);
  const pieces = [];
  for (let turn = Math.floor((Math.min(...longitudes) + 180) / 360);
       turn * 360 - 180 < Math.max(...longitudes); ++turn) {
    const shifted = ring.map(([longitude, latitude]) => [longitude - 360 * turn, latitude]);
    const piece = clipRing(clipRing(shifted, -180, true), 180, false);
    if (piece.length >= 3) pieces.push(piece);
  }
  return pieces;
}

function twiceArea(ring) {
  return ring.reduce((sum, [x, y], i) => {
    const [nextX, nextY] = ring[(i + 1) % ring.length];
    return sum + x * nextY - nextX * y;
  }, 0);
}

function roundRing(positions) {
  const ring = [];
  for (const [longitude, latitude] of positions) {
    const point = [Math.round(longitude * UNITS_PER_DEGREE), Math.round(latitude * UNITS_PER_DEGREE)];
    if (Math.abs(point[0]) > 180 * UNITS_PER_DEGREE || Math.abs(point[1]) > 90 * UNITS_PER_DEGREE) {
      throw new Error(`position out of range: ${longitude}, ${latitude}`);
    }
    const last = ring[ring.length - 1];
    if (!last || last[0] !== point[0] || last[1] !== point[1]) ring.push(point);
  }
  while (ring.length > 1 && ring[0][0] === ring[ring.length - 1][0] &&
         ring[0][1] === ring[ring.length - 1][1]) {
    ring.pop();
  }
  return ring;
}

function landShapes(topology) {
  const arcs = decodeArcs(topology);
  const shapes = [];
  for (const geometry of topology.objects.land.geometries) {
    const polygons = geometry.type === 'Polygon' ? [geometry.arcs]
                   : geometry.type === 'MultiPolygon' ? geometry.arcs : [];
    for (const polygon of polygons) {
      const shape = polygon
        .flatMap((arcIndexes) => ringsWithin180(ringPositions(arcIndexes, arcs)))
        .map(roundRing)
        .filter((ring) => ring.length >= 3 && twiceArea(ring) !== 0);
      if (shape.length > 0) shapes.push(shape);
    }
  }
  return shapes;
}

function encode(shapes) {
  const rings = shapes.flat();
  const pointCount = rings.reduce((sum, ring) => sum + ring.length, 0);
  const head = Buffer.alloc(16 + 4 * shapes.length + 4 * rings.length);
  head.write('KLD1', 0, 'ascii');
  head.writeUInt32LE(shapes.length, 4);
  head.writeUInt32LE(rings.length, 8);
  head.writeUInt32LE(pointCount, 12);
  shapes.forEach((shape, i) => head.writeUInt32LE(shape.length, 16 + 4 * i));
  rings.forEach((ring, i) => head.writeUInt32LE(ring.length, 16 + 4 * shapes.length + 4 * i));
  const points = Buffer.alloc(4 * pointCount);
  let at = 0;
  for (const ring of rings) {
    for (const [longitude, latitude] of ring) {
      points.writeInt16LE(longitude, at);
      points.writeInt16LE(latitude, at + 2);
      at += 4;
    }
  }
  return { bytes: Buffer.concat([head, points]), ringCount: rings.length, pointCount };
}

function notice(version, shapeCount, ringCount, pointCount) {
  const today = new Date().toISOString().slice(0, 10);
  return `World map land outlines (land.bin)

Made with Natural Earth. Free vector and raster map data @ naturalearthdata.com.
Natural Earth data is in the public domain.

Source: Natural Earth's 1:50m land polygons (Natural Earth 4.1.0) as carried in TopoJSON by
the npm package ${PACKAGE} version ${version} (file ${TOPOLOGY}), converted on ${today}.
The package's own notice, for its TopoJSON encoding of the data:

  Copyright 2013-2019 Michael Bostock

  Permission to use, copy, modify, and/or distribute this software for any purpose
  with or without fee is hereby granted, provided that the above copyright notice
  and this permission notice appear in all copies.

  THE SOFTWARE IS PROVIDED "AS IS" AND THE AUTHOR DISCLAIMS ALL WARRANTIES WITH
  REGARD TO THIS SOFTWARE INCLUDING ALL IMPLIED WARRANTIES OF MERCHANTABILITY AND
  FITNESS. IN NO EVENT SHALL THE AUTHOR BE LIABLE FOR ANY SPECIAL, DIRECT,
  INDIRECT, OR CONSEQUENTIAL DAMAGES OR ANY DAMAGES WHATSOEVER RESULTING FROM LOSS
  OF USE, DATA OR PROFITS, WHETHER IN AN ACTION OF CONTRACT, NEGLIGENCE OR OTHER
  TORTIOUS ACTION, ARISING OUT OF OR IN CONNECTION WITH THE USE OR PERFORMANCE OF
  THIS SOFTWARE.

Changes made: the quantized arcs decoded into rings of longitude and latitude; rings across
the antimeridian cut there, and Antarctica's closed along the south pole; coordinates rounded
to 1/100 degree; points that round onto the point before them dropped, and rings left with
fewer than three points or no area (${shapeCount} shapes of ${ringCount} rings and
${pointCount} points remain).

To regenerate: node tools/map/make_land.js (needs node, npm and tar; fetches the package itself).
`;
}

function main() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrel-land-'));
  try {
    const { topology, version } = fetchTopology(folder);
    const shapes = landShapes(topology);
    const { bytes, ringCount, pointCount } = encode(shapes);
    fs.mkdirSync(OUTPUT_DIR, { recursive: true });
    fs.writeFileSync(path.join(OUTPUT_DIR, 'land.bin'), bytes);
    fs.writeFileSync(path.join(OUTPUT_DIR, 'NOTICE'),
                     notice(version, shapes.length, ringCount, pointCount));
    console.log(`${shapes.length} shapes of ${ringCount} rings and ${pointCount} points, ` +
                `${bytes.length} bytes`);
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

main();
