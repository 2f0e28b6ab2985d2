/*
 * Quorvan sample site: page behaviour.
 */

// Counts the words of a text.
function countWords(text) {
    var words = text.split(/\s+/);
    var count = 0;
    for (var index = 0; index < words.length; index++) {
        if (words[index].length > 0) {
            count++;
        }
    }
    return count;
}

// Shows the reading time of the content in the footer.
function showReadingTime() {
    var content = document.getElementById("content");
    var footer = document.getElementById("footer");
    if (!content || !footer) {
        return;
    }
    var wordsPerMinute = 200;
    var minutes = Math.max(1, Math.round(countWords(content.innerText) / wordsPerMinute));
    var note = document.createElement("p");
    note.appendChild(document.createTextNode("Reading time: " + minutes + " min"));
    footer.appendChild(note);
}

if (typeof window !== "undefined") {
    window.onload = showReadingTime;
} else if (typeof module !== "undefined") {
    module.exports = { countWords: countWords };
}
