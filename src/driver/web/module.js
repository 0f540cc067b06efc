// Appended to the module (--post-js): Module.convert, the one call a page makes.
//
//   const vantrix = await createVantrix();
//   const {status, document} = vantrix.convert(saveBytes, "Save01.lsd", files);
//
// `files` answers for the save's game folder: isFile(path), list(folder) (an array of names,
// or null when there is no such folder) and read(path) (a Uint8Array, or null). Paths and
// names are byte strings, one character a byte (UTF-8 for names that are text), relative to
// the save's folder with "/" between names ("FaceSet/Hero.png"; "" is the folder itself).
// `document` is the preview document's bytes when status is "converted"; other statuses are
// "invalidSave" and "outOfMemory".

Module["convert"] = function (save, fileName, files) {
  const byteString = (pointer, length) => {
    let text = "";
    for (let i = 0; i < length; i += 8192) {
      text += String.fromCharCode.apply(null, HEAPU8.subarray(pointer + i, pointer + Math.min(length, i + 8192)));
    }
    return text;
  };
  // A malloc'd copy of bytes for the module to free; its length goes to *lengthPointer.
  const handOver = (bytes, lengthPointer) => {
    if (bytes === null || bytes === undefined) {
      HEAP32[lengthPointer >> 2] = -1;
      return 0;
    }
    const pointer = _malloc(Math.max(bytes.length, 1));
    HEAPU8.set(bytes, pointer);
    HEAP32[lengthPointer >> 2] = bytes.length;
    return pointer;
  };
  const toBytes = (text) => Uint8Array.from(text, (c) => c.charCodeAt(0));
  Module["vantrixPageFiles"] = {
    isFile: (path, length) => Boolean(files.isFile(byteString(path, length))),
    list: (path, length, lengthPointer) => {
      const names = files.list(byteString(path, length));
      return handOver(names ? toBytes(names.map((name) => name + "\0").join("")) : null, lengthPointer);
    },
    read: (path, length, lengthPointer) => handOver(files.read(byteString(path, length)), lengthPointer),
  };
  const name = new TextEncoder().encode(fileName);
  const savePointer = _malloc(Math.max(save.length, 1));
  const namePointer = _malloc(Math.max(name.length, 1));
  try {
    HEAPU8.set(save, savePointer);
    HEAPU8.set(name, namePointer);
    const status = _vantrixConvert(savePointer, save.length, namePointer, name.length);
    const statuses = ["converted", "cannotOpenInput", "invalidSave", "outOfMemory"];
    const start = _vantrixDocument();
    return {
      status: statuses[status] ?? "outOfMemory",
      document: status === 0 ? HEAPU8.slice(start, start + _vantrixDocumentLength()) : null,
    };
  } finally {
    _free(savePointer);
    _free(namePointer);
    Module["vantrixPageFiles"] = null;
  }
};
