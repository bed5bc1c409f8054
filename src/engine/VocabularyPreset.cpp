// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/VocabularyPreset.h"

#include "engine/Blanks.h"

#include <QSet>

const std::vector<VocabularyPreset> &VocabularyPreset::all()
{
    static const std::vector<VocabularyPreset> presets{
        {QStringLiteral("software-dev"),
         QStringLiteral("Software Dev"),
         QStringLiteral("chevron.left.forwardslash.chevron.right"),
         {"kubectl", "Kubernetes", "PostgreSQL", "SQLite",         "MySQL",
          "MongoDB", "Redis",      "Nginx",      "GraphQL",        "gRPC",
          "OAuth",   "WebSocket",  "Supabase",   "Prisma",         "Deno",
          "Bun",     "pnpm",       "ESLint",     "Prettier",       "Webpack",
          "Vite",    "Rollup",     "esbuild",    "TypeScript",     "JavaScript",
          "Zod",     "tRPC",       "Neovim",     "tmux",           "zsh",
          "iTerm",   "ripgrep",    "Dockerfile", "Docker Compose", "Podman"}},
        {QStringLiteral("web-dev"),
         QStringLiteral("Web Dev"),
         QStringLiteral("globe"),
         {"Next.js",  "Nuxt",      "Remix",  "Astro",        "SvelteKit",
          "Gatsby",   "React",     "Vue",    "Svelte",       "Angular",
          "Solid.js", "Qwik",      "Vercel", "Netlify",      "Cloudflare Workers",
          "REST API", "CORS",      "CSRF",   "XSS",          "Chakra UI",
          "Tailwind", "shadcn",    "Radix",  "Zustand",      "Jotai",
          "Tanstack", "Storybook", "Figma",  "Framer Motion"}},
        {QStringLiteral("ai-tools"),
         QStringLiteral("AI & LLM"),
         QStringLiteral("brain"),
         {"Claude", "Claude Code", "CLAUDE.md",   "Codex",      "GPT",       "LLM",
          "RAG",    "Anthropic",   "OpenAI",      "Ollama",     "LangChain", "LlamaIndex",
          "Llama",  "Mistral",     "Gemini",      "Whisper",    "ChatGPT",   "Copilot",
          "Cursor", "LoRA",        "fine-tuning", "embeddings", "tokenizer", "prompt engineering",
          "MCP"}},
    };
    return presets;
}

QString VocabularyPreset::buildPrompt(const QString &customWords, const QStringList &enabledPresets)
{
    QStringList terms;
    QSet<QString> customLower;
    for (const QString &term : splitWordList(customWords)) {
        terms.append(term);
        customLower.insert(term.toLower());
    }
    // Only custom words suppress preset words: a word in two enabled presets would appear twice.
    for (const VocabularyPreset &preset : all()) {
        if (!enabledPresets.contains(preset.id))
            continue;
        for (const QString &word : preset.words) {
            if (!customLower.contains(word.toLower()))
                terms.append(word);
        }
    }
    return terms.join(QStringLiteral(", "));
}
