// Appended to the module (--post-js): Module.vantrix, the calls js/src/library.js makes, on
// bytes. Nothing thrown by the caller's answers ever enters the module: an answer that throws
// counts as "no such file or folder".
//
//   convert(save, name, files) -> {status, document, codePage}
//     save and name: Uint8Array (the name's UTF-8 bytes). files answers for the save's game
//     folder, on paths' bytes (Uint8Array, relative to the save's folder, "/" between names):
//     isFile(path) -> boolean, list(path) -> Uint8Array[] of names or null, read(path) ->
//     Uint8Array or null. status is ConversionStatus's number; document the document's bytes
//     (a copy); codePage the face sets' code page's Windows number, 0 for none.
//   readPreview(save) -> null, or {timestamp, numbers: [level, hp, frames, money, index x 4],
//     texts: [hero, face x 4, save time, playing time]} (texts as Uint8Array copies)
//   textToUtf8(bytes, codePage) -> Uint8Array of UTF-8, or null
//   parseCodePage(text) -> Windows number, 0 for none
//   trialOrder() -> the Windows numbers of kCodePageTrialOrder

Module["vantrix"] = (function () {
  // A face set file larger than this gives no bitmap, as on disk (the conversion refuses it
  // unread); handing it over would give the same answer after a useless copy.
  const maxFaceSetBytes = 16 * 1024 * 1024;

  const copyOut = (pointer, length) => HEAPU8.slice(pointer, pointer + length);

  // A malloc'd copy of bytes, or 0 when there is no memory for it.
  const copyIn = (bytes) => {
    const pointer = _malloc(Math.max(bytes.length, 1));
    if (pointer !== 0) HEAPU8.set(bytes, pointer);
    return pointer;
  };

  // A result block for the module to free, its length at lengthPointer (see module.cpp).
  const handOver = (bytes, lengthPointer) => {
    if (!bytes) {
      HEAP32[lengthPointer >> 2] = -1;
      return 0;
    }
    const pointer = copyIn(bytes);
    HEAP32[lengthPointer >> 2] = pointer === 0 ? -2 : bytes.length;
    return pointer;
  };

  // The caller's answer, or `otherwise` when asking throws.
  const ask = (question, otherwise) => {
    try {
      return question();
    } catch (error) {
      return otherwise;
    }
  };

  const joinNames = (names) => {
    let size = 0;
    for (const name of names) size += name.length + 1;
    const joined = new Uint8Array(size);
    let at = 0;
    for (const name of names) {
      joined.set(name, at);
      at += name.length + 1;
    }
    return joined;
  };

  const withBytes = (list, use) => {
    const pointers = list.map(copyIn);
    try {
      return pointers.includes(0) ? null : use(pointers);
    } finally {
      for (const pointer of pointers) if (pointer !== 0) _free(pointer);
    }
  };

  const statusOutOfMemory = 3;

  return {
    convert(save, name, files) {
      Module["vantrixFiles"] = {
        isFile: (path, length) => ask(() => files.isFile(copyOut(path, length)) === true, false),
        list: (path, length, lengthPointer) => {
          const names = ask(() => files.list(copyOut(path, length)), null);
          return handOver(names ? joinNames(names) : null, lengthPointer);
        },
        read: (path, length, lengthPointer) => {
          const bytes = ask(() => files.read(copyOut(path, length)), null);
          return handOver(bytes && bytes.length <= maxFaceSetBytes ? bytes : null, lengthPointer);
        },
      };
      try {
        const result = withBytes([save, name], ([savePointer, namePointer]) => {
          const status = _vantrixConvert(savePointer, save.length, namePointer, name.length);
          const document = status === 0 ? copyOut(_vantrixDocument(), _vantrixDocumentLength()) : new Uint8Array(0);
          return {status, document, codePage: _vantrixFaceSetCodePage()};
        });
        return result ?? {status: statusOutOfMemory, document: new Uint8Array(0), codePage: 0};
      } finally {
        Module["vantrixFiles"] = null;
        _vantrixForget();
      }
    },

    readPreview(save) {
      try {
        return withBytes([save], ([savePointer]) => {
          if (_vantrixReadPreview(savePointer, save.length) !== 1) return null;
          const numbers = [];
          for (let which = 0; which < 8; which++) numbers.push(_vantrixPreviewNumber(which));
          const texts = [];
          for (let which = 0; which < 7; which++) {
            texts.push(copyOut(_vantrixPreviewText(which), _vantrixPreviewTextLength(which)));
          }
          return {timestamp: _vantrixPreviewTimestamp(), numbers, texts};
        });
      } finally {
        _vantrixForget();
      }
    },

    textToUtf8(bytes, codePage) {
      try {
        return withBytes([bytes], ([pointer]) =>
          _vantrixTextToUtf8(pointer, bytes.length, codePage) === 1 ? copyOut(_vantrixText(), _vantrixTextLength()) : null);
      } finally {
        _vantrixForget();
      }
    },

    parseCodePage(text) {
      return withBytes([text], ([pointer]) => _vantrixParseCodePage(pointer, text.length)) ?? 0;
    },

    trialOrder() {
      const pages = [];
      for (let position = 0; _vantrixTrialCodePage(position) !== 0; position++) pages.push(_vantrixTrialCodePage(position));
      return pages;
    },
  };
})();
