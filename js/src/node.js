// vantrix/node: a save and its game folder read from disk, as the vantrix program on Linux
// reads them. The document names the save as given; its FaceSet folder is looked for in the
// save's folder (the current folder for a name without one).

import fs from "node:fs";
import { convertSave } from "./vantrix.js";

// A face set file larger than this gives no bitmap, decided from its size before a byte of
// it is read, as the program does.
const maxFaceSetBytes = 16 * 1024 * 1024;

const empty = () => new Uint8Array(0);
// readFile's answer when the file's bytes do not fit in memory.
const outOfMemory = Symbol("out of memory");

// What a path names, looked at before it is opened: a device that may be read is not opened
// at all (opening one can act: a tape rewinds), and reads as empty.
function lookAt(path) {
  let info;
  try {
    info = fs.statSync(path);
  } catch {
    return "nothing";
  }
  if (!info.isCharacterDevice() && !info.isBlockDevice()) return "openable";
  try {
    fs.accessSync(path, fs.constants.R_OK);
    return "device";
  } catch {
    return "nothing";
  }
}

// The bytes of a file (empty for a pipe or device), or null when it cannot be read, is a
// folder or is larger than maxBytes (or outOfMemory). The open does not wait for a pipe's
// writer.
function readFile(path, maxBytes) {
  const found = lookAt(path);
  if (found === "nothing") return null;
  if (found === "device") return empty();
  let fd;
  try {
    fd = fs.openSync(path, fs.constants.O_RDONLY | fs.constants.O_NONBLOCK);
  } catch {
    return null;
  }
  try {
    const info = fs.fstatSync(fd);
    if (info.isDirectory()) return null;
    if (!info.isFile()) return empty();
    if (info.size > maxBytes) return null;
    let bytes;
    try {
      bytes = new Uint8Array(info.size);
    } catch {
      return outOfMemory;
    }
    let done = 0;
    while (done < bytes.length) {
      const got = fs.readSync(fd, bytes, done, Math.min(bytes.length - done, 1 << 30), null);
      if (got === 0) break;  // the file shrank while it was read
      done += got;
    }
    return bytes.subarray(0, done);
  } catch {
    return null;
  } finally {
    fs.closeSync(fd);
  }
}

function isReadableFile(path) {
  const found = lookAt(path);
  if (found !== "openable") return found === "device";
  let fd;
  try {
    fd = fs.openSync(path, fs.constants.O_RDONLY | fs.constants.O_NONBLOCK);
  } catch {
    return false;
  }
  try {
    return !fs.fstatSync(fd).isDirectory();
  } catch {
    return false;
  } finally {
    fs.closeSync(fd);
  }
}

// The disk as the lookup asks it, by the paths' bytes (names need not be UTF-8 on Linux).
// The lookup's paths are relative: an absolute save name's are relative to "/".
function diskFiles(absolute) {
  const root = Buffer.from(absolute ? "/" : "");
  const pathOf = (path) => (path.length === 0 && !absolute ? Buffer.from(".") : Buffer.concat([root, path]));
  const usable = (path) => !path.includes(0);
  return {
    names: "bytes",
    isFile: (path) => usable(path) && isReadableFile(pathOf(path)),
    readFile: (path) => {
      const bytes = usable(path) ? readFile(pathOf(path), maxFaceSetBytes) : null;
      return bytes === outOfMemory ? null : bytes;
    },
    listFolder: (path) => {
      if (!usable(path)) return null;
      try {
        return fs.readdirSync(pathOf(path), { encoding: "buffer" });
      } catch {
        return null;
      }
    },
  };
}

export async function convertSaveFile(fileName) {
  if (typeof fileName !== "string") {
    throw new TypeError(`convertSaveFile: fileName must be a string, not ${fileName === null ? "null" : typeof fileName}`);
  }
  const save = fileName === "" || fileName.includes("\0") ? null : readFile(fileName, Infinity);
  if (save === null) return { status: "cannotOpenInput", document: empty(), faceSetCodePage: null };
  if (save === outOfMemory) return { status: "outOfMemory", document: empty(), faceSetCodePage: null };
  return convertSave(save, fileName, diskFiles(fileName.startsWith("/")));
}
